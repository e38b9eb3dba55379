#!/bin/sh
# Builds every configuration (native with sanitizers, native ThreadSanitizer,
# optimised native, 32-bit Windows) and runs every test, the Windows ones
# under Wine. Idempotent; installs what is missing first.
set -e
cd "$(dirname "$0")/.."
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

# The Windows tests run as they run alone: from a plain shell (no locale, no
# display, no Wine settings), through the script that gives them an X display,
# a UTF-8 locale and a Wine prefix of the run's own.
exec env -i PATH="$PATH" HOME="$HOME" sh scripts/test-win32.sh
