#!/bin/sh
# Builds the 32-bit Windows program (only the program, not the tests) and
# starts it under Wine from the user's own emulator folder, which the build
# does not own: the program keeps its settings, states and the ROM images
# beside itself, so they survive a rebuild or a removed build folder.
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
HOME_FOLDER="${XDG_DATA_HOME:-$HOME/.local/share}/KorvetEmu"

# Without an X display Wine cannot open a window: say so before a long build.
if [ -z "$DISPLAY" ]; then
    echo "run.sh needs an X display (DISPLAY is not set): start it from a desktop session, or give it a virtual one: Xvfb :1 -screen 0 1024x768x24 & DISPLAY=:1 sh scripts/run.sh" >&2
    exit 1
fi

sh scripts/install-deps.sh
echo "Configuring the 32-bit Windows build in build/win32 ..."
cmake --preset win32 >/dev/null
echo "Building the emulator program KorvetEmu.exe (first build takes a few minutes) ..."
cmake --build --preset win32 --target KorvetEmu

mkdir -p "$HOME_FOLDER"
# Files a user kept beside the program in the build folder before it ran
# from its own folder come along once; nothing already there is replaced.
for f in "$ROOT"/build/win32/*.rom "$ROOT"/build/win32/KorvetEmu.ini \
         "$ROOT"/build/win32/settings "$ROOT"/build/win32/states "$ROOT"/build/win32/configs; do
    if [ -e "$f" ] && [ ! -e "$HOME_FOLDER/$(basename "$f")" ]; then
        cp -R "$f" "$HOME_FOLDER/"
    fi
done
if ! cmp -s build/win32/KorvetEmu.exe "$HOME_FOLDER/KorvetEmu.exe"; then
    cp build/win32/KorvetEmu.exe "$HOME_FOLDER/KorvetEmu.exe.new"
    mv "$HOME_FOLDER/KorvetEmu.exe.new" "$HOME_FOLDER/KorvetEmu.exe"
fi
echo "Emulator folder (program, ROM images, settings, states): $HOME_FOLDER"
if ! ls "$HOME_FOLDER"/*.rom >/dev/null 2>&1 && [ ! -d "$HOME_FOLDER/configs" ]; then
    echo "No ROM images there yet: \"Korvet w/BIOS\" runs without them; Korvet 1.1 needs korvet11.rom, Korvet 2.0 korvet20.rom, Kontur 2.0 kontur.rom (see README.md)."
fi

. scripts/wine-env.sh
if [ ! -d "$WINEPREFIX" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX (the first start takes about a minute) ..."
fi
echo "Starting Korvet Emulator ..."
cd "$HOME_FOLDER"
exec wine "$HOME_FOLDER/KorvetEmu.exe" "$@"
