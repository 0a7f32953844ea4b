#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the whole suite again
# under ASan+UBSan, the threaded tests under TSan, a one-minute pass shared by the
# fuzzers, and the Debian packages installed, used and removed. Any failure or
# sanitizer report fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
# The same suite built against Qt 6 (ORVIK_TEST_QT6=0 leaves it out); the sanitizer
# and fuzzing runs below stay on Qt 5.
[ "${ORVIK_TEST_QT6:-1}" = 0 ] || scripts/test-qt6.sh
scripts/sanitizers.sh
scripts/fuzz.sh -max_total_time="${FUZZ_SECONDS:-60}"
# The Debian packages, installed, started as an ordinary user, removed.
scripts/install-test.sh
