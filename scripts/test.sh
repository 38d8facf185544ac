#!/usr/bin/env bash
# Installs what is missing, builds the engine and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole suite (under Xvfb when no display is set).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DNIMBREL_SANITIZE=ON -DNIMBREL_TESTS=ON -DNIMBREL_BENCHMARKS=ON
cmake --build "$build"

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
# Mesa's software renderer draws in the calling thread instead of worker threads of its own,
# and its shader cache (which writes into the home folder) is off: the tests draw tiny frames.
export LP_NUM_THREADS="${LP_NUM_THREADS:-0}"
export MESA_SHADER_CACHE_DISABLE="${MESA_SHADER_CACHE_DISABLE:-true}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

# A test that fails is run once more before the suite fails: the GL tests share one X server
# and the software driver, and a rare fault of theirs should not fail the whole suite. A real
# fault fails both runs, and the first failure stays in the output.
run=(ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 --repeat until-pass:2)
if [[ -z "${DISPLAY:-}" ]]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
else
    "${run[@]}"
fi
