#!/usr/bin/env bash
# Builds the drills and runs one of them: bench/drill.sh hangups|garbage ARG
# (BUILD_DIR picks the build folder, default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build_dir" -j"${BUILD_JOBS:-2}" --target drills orvik-sim
QT_QPA_PLATFORM=offscreen exec "$build_dir/bench/drills" "$@"
