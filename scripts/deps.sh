#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are not installed yet.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

missing=()
while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done < "$here/packages.txt"

if (( ${#missing[@]} )); then
    sudo=""
    (( EUID == 0 )) || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
