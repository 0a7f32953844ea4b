#!/usr/bin/env bash
# The controller hangs up and comes back N times in a row (default 20); the panel must
# raise one box per loss, reconnect each time, stay quiet and not grow.
#   bench/drill_hangups.sh [N]       (BUILD_DIR picks the build folder, default build/)
set -euo pipefail
exec "$(dirname "$0")/drill.sh" hangups "${1:-20}"
