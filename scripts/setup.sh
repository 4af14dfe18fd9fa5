#!/usr/bin/env bash
# Installs the Debian packages Krateon needs to build, run and test; silent when all are there.
set -euo pipefail

packages=(
  cmake pkg-config g++                         # build
  libgl-dev libglu1-mesa-dev freeglut3-dev      # OpenGL, GLU, the window toolkit
  libgl1-mesa-dri                               # Mesa's software renderer
  libsdl2-mixer-dev                             # sound playback
  libsdl2-image-dev                             # the user's planet maps: PNG, JPEG and BMP
  libfreetype-dev fonts-dejavu-core             # the asset generator renders the font
  libpng-dev                                    # ... and writes the icons
  dpkg-dev file                                 # the Debian package and its Depends
  lintian desktop-file-utils appstream          # checks of the package, its menu entry and metainfo
  libgtest-dev                                  # unit tests
  zlib1g-dev                                    # compressed reference frames in the tests
  xvfb xauth openbox xdotool x11-utils          # a headless X desktop for the GL and end-to-end tests
  x11-xserver-utils                             # xrdb: the desktop's text resolution in the tests
  libx11-dev                                    # screensaver mode draws into a foreign X window,
                                                # and the tests make a plain one
  groff-base                                    # the install test renders the manual page
  xscreensaver                                  # the screensaver daemon the end-to-end test runs
  libxml2-utils                                 # xmllint reads its settings dialog file
  imagemagick sox                               # screenshots and audio checks in the tests
  clang libclang-rt-14-dev                      # fuzzing
  valgrind                                      # leak checks
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
