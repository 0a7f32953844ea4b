#!/usr/bin/env bash
# Takes the README's screenshots from the real panel and the real simulator on a
# virtual display, driving the panel with the mouse and keyboard as an operator would.
# Usage: scripts/screenshots.sh [output folder, default docs/]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
mkdir -p "$out"
command -v xdotool >/dev/null || { echo "needs xdotool (apt-get install xdotool)"; exit 1; }
[ -x build/src/orvik-panel ] || scripts/build.sh

work=$(mktemp -d)
export DISPLAY=:97
# 96 dpi: the panel's unscaled size, which the click positions below count on.
Xvfb "$DISPLAY" -screen 0 800x400x24 -dpi 96 >/dev/null 2>&1 &
xvfb_pid=$!
mkfifo "$work/sim-in"
sleep 1000000 > "$work/sim-in" &
feeder_pid=$!
cleanup() {
  kill "${panel_pid:-}" "${sim_pid:-}" "$feeder_pid" "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work" build/src/settingsshots.ini
}
trap cleanup EXIT
sleep 1

sim() { echo "$*" > "$work/sim-in"; sleep 0.6; }
shot() { xdotool mousemove 780 390; sleep 0.8; import -window "$panel_win" "$out/$1.png"; echo "  $out/$1.png"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
# Widget centres from the form's geometry; the central widget starts below the menu
# bar and the tool bar, 36 pixels down with the 8-point interface font.
top=36
tx_key() { click "$panel_win" $((180 + 50 * ($1 - 1))) $((top + 100)); }
split_key() { click "$panel_win" 100 $((top + 50)); }
super_split_key() { click "$panel_win" 100 $((top + 80)); }
configs() { click "$panel_win" 65 10; for _ in $(seq "$1"); do xdotool key Down; done; xdotool key Return; sleep 0.3; }

# The demo's captions and labels, with the receiver group shown.
{ cat scripts/demo-settings.ini; echo "REC=true"; } > build/src/settingsshots.ini

build/sim/orvik-sim --link "$work/tty" --fw 2.7 < "$work/sim-in" > "$work/sim.out" 2>&1 &
sim_pid=$!
build/src/orvik-panel shots >/dev/null 2>&1 &
panel_pid=$!
panel_win=$(xdotool search --sync --limit 1 --onlyvisible --name 'Korvane ORVIK Remote Control')
sleep 2.5
shot link-lost

# File > Serial Settings, pick Custom, type the simulator's path, Apply, File > Connect.
click "$panel_win" 20 10
xdotool key Down Down Down Down Return; sleep 0.6
dialog=$(xdotool search --sync --limit 1 --onlyvisible --name '^Settings$')
sleep 0.3
xdotool key End                      # the port list has the focus: its last item is Custom
sleep 0.3
click "$dialog" 80 48                # into the now editable field
xdotool type --delay 10 "$work/tty"
# Tab through the five parameter boxes to Apply and press it.
xdotool key Tab Tab Tab Tab Tab Tab space
sleep 0.5
click "$panel_win" 20 10
xdotool key Down Return
sleep 1.5
shot normal

sim busy 3,6
shot busy
sim tx on
shot transmitting
sim tx off
sim busy none

configs 2          # Configs > Split
split_key
tx_key 3
sleep 1
shot split
split_key          # split off

configs 3          # Configs > Super Split
super_split_key
tx_key 2
tx_key 5
shot super-split-selecting
super_split_key
sleep 1
shot super-split

click "$panel_win" 20 10
xdotool key Down Down Down Down Down Return
labels_win=$(xdotool search --sync --limit 1 --onlyvisible --name '^Label Config$')
sleep 0.8
import -window "$labels_win" "$out/labels-dialog.png"; echo "  $out/labels-dialog.png"
