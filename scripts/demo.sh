#!/usr/bin/env bash
# Installs what is missing, builds, starts the controller simulator and the panel.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh

link=${ORVIK_SIM_LINK:-/tmp/orvik-sim/ttyORVIK}
# ORVIK_SIM_ARGS gives the simulator a line like a real one, for example
#   ORVIK_SIM_ARGS="--baud 9600 --delay 12" scripts/demo.sh
read -r -a sim_args <<<"${ORVIK_SIM_ARGS:-}"
# The simulator reads its commands from this terminal while the panel runs.
build/sim/orvik-sim --link "$link" "${sim_args[@]}" 0<&0 &
sim_pid=$!
xvfb_pid=
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:99
  # 96 dpi, the screen the panel is drawn for (Xvfb's own default is 100).
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi 96 >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  echo "No display found: the panel runs on the virtual display $DISPLAY."
  echo "Take a screenshot with: DISPLAY=$DISPLAY import -window root panel.png"
fi

# The demo keeps its own settings files (settingsdemo.ini), seeded with a station's
# captions and labels the first time, so a real installation's settings stay apart.
demo_settings=build/src/settingsdemo.ini
if [ ! -e "$demo_settings" ]; then
  cp scripts/demo-settings.ini "$demo_settings"
fi

sleep 0.5
cat <<MSG

  The controller simulator is listening on: $link
  In the panel: File > Serial Settings > pick "Custom" in the port list, type
  $link, press Apply, then File > Connect.
  Type simulator commands (busy, tx, fw, silent, garbage, truncate, hangup, baud,
  delay, chunk, noise, short, status, help) into this terminal; close the panel
  window to end the demo.

MSG
build/src/orvik-panel "${@:-demo}"
