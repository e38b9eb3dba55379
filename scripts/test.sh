#!/bin/sh
# Builds every configuration (native with sanitizers, native ThreadSanitizer,
# optimised native, 32-bit Windows) and runs every test, the Windows ones
# under Wine. Idempotent; installs what is missing first.
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
sh scripts/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

# Only the thread, lock and timer tests run under ThreadSanitizer: build just those.
cmake --preset tsan >/dev/null
TSAN_TARGETS=$(ninja -C build/tsan -t targets all | sed -n 's/^\(test_[A-Za-z0-9_]*\(Thread\|Lock\|TimerList\)[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
cmake --build --preset tsan --target $TSAN_TARGETS
ctest --preset tsan --no-tests=ignore

# The optimised build serves the benchmarks and the long tests.
cmake --preset bench >/dev/null
BENCH_TARGETS=$(ninja -C build/bench -t targets all | sed -n 's/^\(bench_[A-Za-z0-9_]*\|test_[A-Za-z0-9_]*Long\|test_emu_chips_I8080Exerciser_8080EXM\): .*/\1/p' | sort -u)
cmake --build --preset bench --target $BENCH_TARGETS
ctest --preset bench --no-tests=ignore

cmake --preset win32 >/dev/null
cmake --build --preset win32

# The Windows tests run in a Wine prefix and on an X display of this run's
# own, so that they neither disturb nor are disturbed by any other Wine
# program or test run; at the end only what this run started is ended.
RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korvet-test.XXXXXX")
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
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$RUN_DIR/display" >/dev/null 2>&1 &
XVFB_PID=$!
# Windows made before the server listens would fail: it writes its display
# number once it does.
for _ in $(seq 1 100); do
    [ -s "$RUN_DIR/display" ] && break
    sleep 0.1
done
[ -s "$RUN_DIR/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$RUN_DIR/display")"
export DISPLAY

RUN_PREFIX="$RUN_DIR/wine"
export KORVET_WINEPREFIX="$RUN_PREFIX"
KORVET_SCRIPTS="$ROOT/scripts"
. "$KORVET_SCRIPTS/wine-test-env.sh"
# A persistent Wine server with a primed prefix, its output detached from
# CTest's pipes, lets every Windows test start in a moment. The tests' launcher
# (scripts/wine-run.sh) finds these through the environment.
mkdir -p "$WINEPREFIX"
korvet_as_tester wineserver -p </dev/null >/dev/null 2>&1
korvet_as_tester wine cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --preset win32
