#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/: one target, or all of them one after the other, each
# for SECONDS (default 60), or until RUNS inputs have run when RUNS is given. Installs what is missing, builds the engine, the test support
# library and the targets with clang into build/fuzz, writes the seeds and fuzzes.
#   scripts/fuzz.sh                 # every target, 60 s each
#   scripts/fuzz.sh zip 300         # fuzz_zip for five minutes
#   scripts/fuzz.sh all 5           # the smoke run of .ci/run
#   scripts/fuzz.sh all 7200 10000000   # the long run: ten million inputs or two hours each
# Every target runs with a memory limit (-rss_limit_mb=1024, which also bounds a single
# allocation) and a time limit per input (-timeout=5), and its format's dictionary where
# there is one. New inputs gather in build/fuzz/corpus/TARGET; a crash, leak, hang or
# out-of-memory input is kept in build/fuzz/findings/TARGET and the script exits 1 after
# the remaining targets have run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
targets=(ngm wav ogg zip syncdata tga png jpeg hdr xml gui_layout nsg nsgml font collada cg)
target="${1:-all}"
seconds="${2:-60}"
runs="${3:-}"
if [[ "$target" != all && ! " ${targets[*]} " =~ " $target " ]]; then
    echo "usage: $0 [all|${targets[*]// /|}] [SECONDS [RUNS]]" >&2
    exit 2
fi
[[ "$target" == all ]] || targets=("$target")

"$root/scripts/deps.sh" "$root/scripts/packages.txt" "$root/scripts/fuzz-packages.txt"

build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DNIMBREL_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_corpus "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

failed=()
for name in "${targets[@]}"; do
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    options=(-max_total_time="$seconds" -rss_limit_mb=1024 -timeout=5 -print_final_stats=1
             -artifact_prefix="$findings/")
    [[ -f "$root/fuzz/$name.dict" ]] && options+=(-dict="$root/fuzz/$name.dict")
    [[ -n "$runs" ]] && options+=(-runs="$runs")
    echo "== fuzz_$name, $seconds s"
    # New inputs go into the first folder; the seeds are only read.
    if ! "$build/fuzz/fuzz_$name" "${options[@]}" "$corpus" "$build/fuzz/seeds/$name" 2>"$build/fuzz_$name.log"; then
        tail -n 60 "$build/fuzz_$name.log"
        failed+=("$name")
    fi
    # The last coverage line and the run's count of inputs.
    grep -E ' cov: ' "$build/fuzz_$name.log" | tail -n 1 || true
    grep -E '^stat::number_of_executed_units' "$build/fuzz_$name.log" | tail -n 1 || true
done

if (( ${#failed[@]} )); then
    echo "Faults found by: ${failed[*]} (inputs in $build/findings)" >&2
    exit 1
fi
