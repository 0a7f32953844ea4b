#!/usr/bin/env bash
# The controller answers every status poll with garbage or a cut-short response, with a
# valid status now and then, for minutes (default 180 s); the panel must not crash and must
# show the controller's state after each valid status.
#   bench/drill_garbage.sh [seconds]      (BUILD_DIR picks the build folder, default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build_dir" -j"${BUILD_JOBS:-2}" --target drills orvik-sim
QT_QPA_PLATFORM=offscreen exec "$build_dir/bench/drills" garbage "${1:-180}"
