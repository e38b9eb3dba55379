#!/bin/sh
# Runs the Windows tests of an existing 32-bit build (build/win32, made by
# scripts/test.sh) under Wine; arguments go to ctest (-R CFileStream, say).
# It needs nothing from the shell it is started from: it takes an X display
# of its own when DISPLAY is not set, a UTF-8 locale, and a Wine prefix of
# its own made for the run, so that neither the program (run.sh's prefix)
# nor another run disturbs it; at the end only what it started is ended.
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
if [ ! -f build/win32/CTestTestfile.cmake ]; then
    echo "test-win32.sh needs the Windows build and its tests: run sh scripts/test.sh first" >&2
    exit 1
fi

# Wine hands file names to the tests in the locale's encoding: without UTF-8
# the Unicode file-name tests cannot pass.
LANG=C.UTF-8
LC_ALL=C.UTF-8
export LANG LC_ALL

RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korvet-wintest.XXXXXX")
RUN_PREFIX=""
XVFB_PID=""
cleanup() {
    # The Wine server of this run's prefix only.
    if [ -n "$RUN_PREFIX" ]; then
        WINEPREFIX="$RUN_PREFIX" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$RUN_PREFIX" wineserver -w >/dev/null 2>&1 || true
    fi
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$RUN_DIR"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

if [ -z "$DISPLAY" ]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$RUN_DIR/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    # Windows made before the server listens would fail: it writes its
    # display number once it does.
    for _ in $(seq 1 100); do
        [ -s "$RUN_DIR/display" ] && break
        sleep 0.1
    done
    [ -s "$RUN_DIR/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=":$(head -n 1 "$RUN_DIR/display")"
    export DISPLAY
fi

RUN_PREFIX="$RUN_DIR/wine"
export KORVET_WINEPREFIX="$RUN_PREFIX"
KORVET_SCRIPTS="$ROOT/scripts"
. "$KORVET_SCRIPTS/wine-test-env.sh"
# A persistent Wine server, started as the tests run (without the rights that
# let root write read-only files), and a prefix primed before the first test:
# Wine's services, started by the first program, would otherwise hold that
# test's output open and CTest would wait for it. The tests' launcher
# (scripts/wine-run.sh) finds both through the environment.
mkdir -p "$WINEPREFIX"
korvet_as_tester wineserver -p </dev/null >/dev/null 2>&1
korvet_as_tester wine cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --preset win32 "$@"
