# The Debian package, made by CPack (`cpack -G DEB` in the build tree, or the `package` target):
# whatever the install rules put under /usr, moved into Debian's games layout by games_layout.cmake.

# The launcher of the games layout: /usr/games/krateon changes to the data folder and starts the
# program, both found relative to itself, like the launcher of a plain install.
file(RELATIVE_PATH KRATEON_BIN_TO_DATA /usr/games /usr/share/games/krateon)
file(RELATIVE_PATH KRATEON_BIN_TO_PROGRAM /usr/games /usr/lib/games/krateon)
configure_file(${PROJECT_SOURCE_DIR}/scripts/krateon-launcher.sh.in
  ${PROJECT_BINARY_DIR}/packaging/krateon @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog
  @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME krateon)
set(CPACK_PACKAGE_VENDOR "Krateon maintainers")
set(CPACK_PACKAGE_CONTACT
  "Krateon maintainers <maintainers@users.noreply.c-seed-28a63521.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/games_layout.cmake)
# Read by games_layout.cmake.
set(CPACK_KRATEON_LAUNCHER ${PROJECT_BINARY_DIR}/packaging/krateon)
set(CPACK_KRATEON_DOCS
  ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The summary becomes the synopsis line, the description the text below it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "3-D animation of a planet struck by meteors until it shatters")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Krateon is a real-time, full-screen 3-D animation. A textured planet turns
before a field of stars under a circling sun. A meteor strikes it with a
flash, fire, smoke, sparks and a boom; a glowing ring spreads over the
surface, the planet trembles and bursts with a thunderclap into two hundred
pieces around a glowing core, and the next of ten planets fades in, about
every fourteen seconds.
.
A click sends a meteor; keys choose the planet, the speeds, the camera,
wireframe drawing and a hyperspace mode that leaves trails. It needs OpenGL
(Mesa's software renderer will do).")

include(CPack)
