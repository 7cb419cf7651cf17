#!/usr/bin/env bash
# Installs the Debian 12 packages Brevotane needs to build, run and test. Safe to run again:
# it asks dpkg first and calls apt-get only for what is missing. `install-deps.sh fuzz` adds the
# compiler the fuzz targets need (fuzz/README.md).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
  libsqlite3-dev sqlite3
  libgsf-1-dev
  fonts-ipafont-mincho fonts-ipafont-gothic
  xvfb xauth x11-utils openbox qt6-qpa-plugins qt6-translations-l10n
  poppler-utils python3-xlrd libfreexl-dev
  libcups2-dev cups-daemon cups-client
)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "Missing packages. Run as root: apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
else SUDO=; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
