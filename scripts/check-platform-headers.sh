#!/usr/bin/env bash
# Fails, naming each file, when a source outside the platform-named files includes a platform
# header: SDL's, POSIX's (<unistd.h>, <sys/...>) or OpenGL's. Platform-named files carry SDL,
# Posix or Linux in their name, or start with GL, or belong to the OpenGL backend's folders.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0
while IFS= read -r file; do
    [[ "$file" == */graphics/gl/* ]] && continue
    case "$(basename "$file")" in
        *SDL* | *Posix* | *Linux* | GL*) ;;
        *) echo "$file includes a platform header: $(grep -nE '^\s*#\s*include\s*<(SDL|unistd\.h|sys/|GL/)' "$file" | head -1)"
           status=1 ;;
    esac
done < <(grep -rlE '^\s*#\s*include\s*<(SDL|unistd\.h|sys/|GL/)' src host tools tests bench | sort)
exit $status
