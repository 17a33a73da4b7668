#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those that are missing,
# with apt's own progress shown. sudo is used only when not running as root.
set -euo pipefail
PKGS=(cmake g++ make qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev qt6-translations-l10n)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
fail() { echo "deps.sh: $*" >&2; exit 1; }

missing=()
for p in "${PKGS[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps.sh: all needed packages are installed."
  exit 0
fi
echo "deps.sh: missing packages: ${missing[*]}"

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 ||
    fail "not running as root and sudo is not installed; as root run: apt-get install ${missing[*]}"
  SUDO=(sudo)
fi
command -v apt-get >/dev/null 2>&1 || fail "apt-get not found: install these packages by hand: ${missing[*]}"

echo "deps.sh: updating the package lists (apt-get update)..."
"${SUDO[@]}" apt-get update || fail "apt-get update failed; check the network and /etc/apt/sources.list"

# A package the sources do not offer is named before anything is installed.
for p in "${missing[@]}"; do
  cand="$(apt-cache policy "$p" 2>/dev/null | awk '/Candidate:/ {print $2}')"
  if [ -z "$cand" ] || [ "$cand" = "(none)" ]; then
    fail "package '$p' is not available from the configured apt sources (Debian 12 'bookworm' main is needed)"
  fi
done

echo "deps.sh: installing ${missing[*]}..."
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" ||
  fail "apt-get install failed for: ${missing[*]}"
for p in "${missing[@]}"; do
  installed "$p" || fail "package '$p' is still not installed"
done
echo "deps.sh: done."
