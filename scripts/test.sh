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

# A persistent Wine server with a primed prefix, its output detached from
# CTest's pipes, lets every Windows test start in milliseconds.
. "$ROOT/scripts/wine-env.sh"
if [ -z "$DISPLAY" ]; then
    Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:97
    # Windows made before the server listens would fail: wait for its socket.
    for _ in $(seq 1 50); do
        [ -S /tmp/.X11-unix/X97 ] && break
        sleep 0.2
    done
fi
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --preset win32
