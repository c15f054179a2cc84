#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that the build, the program, the tests and the
# benchmarks need, when any of them is missing. Runs apt-get as root directly, otherwise
# through sudo; without either it names the missing packages and stops.
# Usage: scripts/install-deps.sh
set -euo pipefail

packages=(
  g++ cmake ninja-build git pkg-config ca-certificates
  qt6-base-dev qt6-serialport-dev libturbojpeg0-dev nlohmann-json3-dev
  fonts-dejavu-core
  googletest libgtest-dev libgmock-dev libbenchmark-dev
)

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  echo "install-deps.sh: this machine has no dpkg-query/apt-get (not Debian or Ubuntu)." >&2
  echo "Install the equivalents of these Debian packages yourself: ${packages[*]}" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
  echo "Installing them with sudo apt-get (sudo may ask for your password)."
else
  echo "install-deps.sh: cannot install them: this user is not root and sudo is not installed." >&2
  echo "Run as root:  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
# sudo drops the environment, so the frontend setting goes on apt-get's own command line.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
if ! "${apt[@]}" update -q; then
  echo "install-deps.sh: apt-get update failed (see above); the packages were not installed." >&2
  exit 1
fi
if ! "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"; then
  echo "install-deps.sh: apt-get install failed (see above) for: ${missing[*]}" >&2
  exit 1
fi
echo "Installed: ${missing[*]}"
