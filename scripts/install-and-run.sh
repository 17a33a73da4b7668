#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into its program folder
# (default ~/Trevalon, or the folder given as the first argument) and starts it.
# An existing Kelm.mdb in that folder is never replaced.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
prefix="${1:-$HOME/Trevalon}"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target Kelm kelm-passwd shipped_db
cmake --install "$here/build" --prefix "$prefix"
exec "$prefix/Kelm"
