#!/usr/bin/env bash
# One command for the link benchmark: installs what is missing, builds what is out of
# date, then runs the panel against the controller simulator under the offscreen
# platform.
#   bench/run.sh [seconds per run, default 60]
# It makes four runs (link silent / simulator answering, each with and without
# restyling unchanged keys), so the whole takes a little over four times that.
# BUILD_DIR picks the build folder (default build/, shared with scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build_dir" -j"${BUILD_JOBS:-2}" --target bench_link orvik-sim
QT_QPA_PLATFORM=offscreen exec "$build_dir/bench/bench_link" "$@"
