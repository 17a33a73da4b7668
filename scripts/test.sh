#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
# With --sanitize the tests are built and run once more under ASan and UBSan.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"
run() { # build-dir, extra cmake args...
  local dir="$1"; shift
  cmake -S "$here" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}
run "$here/build-tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" = "--sanitize" ]; then
  # Leak detection stays off: Qt keeps allocations alive until the process ends.
  export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
  run "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELM_SANITIZE=ON
fi
