# Run by CPack between installing into its staging folder and building the package: moves what
# the install rules put under /usr into Debian's games layout and adds Debian's documentation.
#   bin/krateon        -> games/krateon (the launcher, its paths made to fit the new places)
#   libexec/krateon/   -> lib/games/krateon/ (the program)
#   share/krateon/     -> share/games/krateon/ (images and sounds)
#   share/man/*        -> gzipped; every other file stays where it was installed
# plus share/doc/krateon/copyright and changelog.gz.

set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
if(NOT IS_DIRECTORY ${usr}/libexec/krateon)
  message(FATAL_ERROR "games_layout: nothing installed in ${usr}/libexec/krateon")
endif()

file(MAKE_DIRECTORY ${usr}/games ${usr}/lib/games ${usr}/share/games ${usr}/share/doc/krateon)
file(REMOVE ${usr}/bin/krateon)
file(COPY ${CPACK_KRATEON_LAUNCHER} DESTINATION ${usr}/games FILE_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(RENAME ${usr}/libexec/krateon ${usr}/lib/games/krateon)
file(RENAME ${usr}/share/krateon ${usr}/share/games/krateon)
foreach(folder bin libexec)
  file(GLOB left ${usr}/${folder}/*)
  if(NOT left)
    file(REMOVE_RECURSE ${usr}/${folder})
  endif()
endforeach()

file(COPY ${CPACK_KRATEON_DOCS} DESTINATION ${usr}/share/doc/krateon
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(GLOB_RECURSE manual_pages ${usr}/share/man/*)
foreach(file IN LISTS manual_pages ITEMS ${usr}/share/doc/krateon/changelog)
  # -n: no name or time stamp inside, so the same files always give the same package.
  execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# CPack strips the program; the compiler's notes in .comment are of no use to it either.
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note
  ${usr}/lib/games/krateon/krateon COMMAND_ERROR_IS_FATAL ANY)
