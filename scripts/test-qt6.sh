#!/usr/bin/env bash
# Builds against Qt 6 (build-qt6, or BUILD_DIR) and runs the whole suite there, as
# scripts/test.sh does for Qt 5. The sanitizer and fuzzing runs stay on Qt 5.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_MAJOR=6
scripts/deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build-qt6}" --output-on-failure -j2
