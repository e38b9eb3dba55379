#!/bin/sh
# CTest's cross-compiling emulator: runs one Windows test program under Wine.
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
