#!/usr/bin/env bash
# Configures (once) and builds the project in build/ with at most two jobs.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZEP4_BUILD_DIR:-$top/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${ZEP4_JOBS:-2}"
