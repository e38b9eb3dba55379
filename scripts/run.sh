#!/bin/sh
# Builds the 32-bit Windows program and starts it under Wine.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
. scripts/wine-env.sh
if [ ! -f build/win32/KorvetEmu.exe ]; then
    echo "The emulator program is not built yet: only the libraries and their tests exist so far."
    exit 1
fi
exec wine build/win32/KorvetEmu.exe "$@"
