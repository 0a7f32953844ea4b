#!/usr/bin/env bash
# The controller hangs up and comes back N times in a row (default 20); the panel must
# raise one box per loss, reconnect each time, stay quiet and not grow.
#   bench/drill_hangups.sh [N]       (BUILD_DIR picks the build folder, default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build_dir" -j"${BUILD_JOBS:-2}" --target drills orvik-sim
QT_QPA_PLATFORM=offscreen exec "$build_dir/bench/drills" hangups "${1:-20}"
