#!/usr/bin/env bash
# Builds the benchmarks in Release (build/bench), runs them and prints, for every engine case
# that has a standard-library counterpart, the ratio engine time / standard time (below 1:
# the engine is faster). Arguments go to the benchmark binary, e.g.
#   scripts/bench.sh --benchmark_filter=Map
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DNIMBREL_SANITIZE=OFF -DNIMBREL_TESTS=OFF -DNIMBREL_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target nimbrel_bench

json="$build/bench.json"
"$build/bench/nimbrel_bench" --benchmark_out="$json" --benchmark_out_format=json "$@"
python3 "$root/scripts/bench_ratios.py" "$json"
