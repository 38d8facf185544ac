#!/usr/bin/env bash
# Installs what is missing, builds the engine and the demo host, and plays the demo.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBREL_TESTS=OFF
cmake --build "$build" --target host

# The host expects its data folder "data/" under the working directory.
cd "$root"
exec "$build/host/host" "$@"
