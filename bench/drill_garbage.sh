#!/usr/bin/env bash
# The controller answers every status poll with garbage or a cut-short response, with a
# valid status now and then, for minutes (default 180 s); the panel must not crash and must
# show the controller's state after each valid status.
#   bench/drill_garbage.sh [seconds]      (BUILD_DIR picks the build folder, default build/)
set -euo pipefail
exec "$(dirname "$0")/drill.sh" garbage "${1:-180}"
