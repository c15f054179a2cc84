#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
# Usage: scripts/install-deps.sh [build|test]   (test adds the test and benchmark libraries)
set -euo pipefail

packages=(
  g++ cmake ninja-build git pkg-config ca-certificates
  qt6-base-dev qt6-serialport-dev libturbojpeg0-dev nlohmann-json3-dev
  fonts-dejavu-core
)
packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing the missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "These packages are missing and this user cannot install them (not root, no sudo): ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
