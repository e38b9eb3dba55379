#!/bin/sh
# Installs what the builds and tests need on a Debian machine; does nothing
# when everything is present. Runs as root or through sudo.
set -e
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
# The Windows tests need OpenGL under Wine (32-bit Mesa: GL 4.5 in software on
# Xvfb; Wine draws OpenGL into child windows, such as the program's screen,
# through XComposite) and Wine's ALSA driver (libwine:i386, with
# libasound2:i386) to play into the tests' own capture device.
for p in cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686 wine wine32:i386 xvfb xauth \
         libwine:i386 libasound2:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libxcomposite1:i386; do
    have_pkg "$p" || need="$need $p"
done
[ -z "$need" ] && exit 0

echo "Installing:$need"
if ! dpkg --print-foreign-architectures | grep -q i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
