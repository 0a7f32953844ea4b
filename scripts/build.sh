#!/usr/bin/env bash
# Configures and builds against Qt 5 into build/, or with QT_MAJOR=6 against Qt 6 into
# build-qt6/ (either way into the folder given as BUILD_DIR, when one is).
set -euo pipefail
cd "$(dirname "$0")/.."
qt_major=${QT_MAJOR:-5}
default_dir=build
[ "$qt_major" = 5 ] || default_dir=build-qt$qt_major
build_dir=${BUILD_DIR:-$default_dir}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DORVIK_QT_MAJOR="$qt_major" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
