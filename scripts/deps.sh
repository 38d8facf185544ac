#!/usr/bin/env bash
# Installs the Debian packages of the given lists that are not installed yet; without
# arguments, those of scripts/packages.txt. A list names one package per line; empty lines
# and lines starting with '#' are skipped.
#   scripts/deps.sh                          # the engine, its tools, tests and benchmarks
#   scripts/deps.sh scripts/fuzz-packages.txt
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
(( $# )) || set -- "$here/packages.txt"

missing=()
for list in "$@"; do
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
        [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
    done < "$list"
done

if (( ${#missing[@]} )); then
    sudo=""
    (( EUID == 0 )) || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
