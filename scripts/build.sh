#!/usr/bin/env bash
# Configures and builds the project in build/ (or $ZEP4_BUILD_DIR) with at most two jobs
# (or $ZEP4_JOBS). Configures again whenever the build folder has no build.ninja yet, so a
# configure that failed (say, on a missing package) is retried on the next run instead of
# leaving a half-made folder that ninja cannot use.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZEP4_BUILD_DIR:-$top/build}"
for tool in cmake ninja c++; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "build.sh: '$tool' is not installed; run scripts/install-deps.sh first." >&2
    exit 1
  fi
done
if [ ! -f "$build/build.ninja" ]; then
  echo "Configuring in $build"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
echo "Building in $build"
cmake --build "$build" -j "${ZEP4_JOBS:-2}"
