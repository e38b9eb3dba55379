#!/bin/sh
# CTest's cross-compiling emulator: runs one Windows test program under Wine
# in the tests' own environment (scripts/wine-test-env.sh), with a sound
# capture file of its own that is removed afterwards.
KORVET_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
. "$KORVET_SCRIPTS/wine-test-env.sh"
KORVET_SOUND_CAPTURE=$(mktemp "${TMPDIR:-/tmp}/korvet-sound.XXXXXX") || exit 1
export KORVET_SOUND_CAPTURE
korvet_as_tester wine "$@"
status=$?
rm -f "$KORVET_SOUND_CAPTURE"
exit $status
