#!/usr/bin/env bash
# Takes the README's screenshots from the real panel and the real simulator on a
# virtual display, driving the panel with the mouse and keyboard as an operator would.
# Usage: scripts/screenshots.sh [output folder, default docs/] [--dialogs]
# --dialogs also takes every dialog, a menu and a combo-box popup, so that two builds'
# looks can be compared pixel by pixel. PANEL and SIM name other builds' programs,
# SHOTS_DISPLAY another virtual display (default :97).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
dialogs=false
[ "${2:-}" = --dialogs ] && dialogs=true
mkdir -p "$out"
command -v xdotool >/dev/null || { echo "needs xdotool (apt-get install xdotool)"; exit 1; }
panel=$(realpath -m "${PANEL:-build/src/orvik-panel}")
sim_program=$(realpath -m "${SIM:-build/sim/orvik-sim}")
[ -x "$panel" ] && [ -x "$sim_program" ] || scripts/build.sh

work=$(mktemp -d)
export DISPLAY=${SHOTS_DISPLAY:-:97}
# The panel keeps its settings beside the program, and the port it last used in the
# user's data folder: a copy of the program and folders of its own start it from the
# demo's settings every time, whatever ran before, and leave the build folder alone.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$work/bin"
cp "$panel" "$work/bin/orvik-panel"
# 96 dpi: the panel's unscaled size, which the click positions below count on.
Xvfb "$DISPLAY" -screen 0 800x400x24 -dpi 96 >/dev/null 2>&1 &
xvfb_pid=$!
mkfifo "$work/sim-in"
sleep 1000000 > "$work/sim-in" &
feeder_pid=$!
cleanup() {
  kill "${panel_pid:-}" "${sim_pid:-}" "$feeder_pid" "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
sleep 1

sim() { echo "$*" > "$work/sim-in"; sleep 0.6; }
shot() { xdotool mousemove 780 390; sleep 0.8
  import -window "$panel_win" "$out/$1.png"; echo "  $out/$1.png"; }
# A window by its title, or the whole screen (name only) for a menu or a popup, which are
# windows of their own.
grab() { sleep 0.8; import -window "${2:-root}" "$out/$1.png"; echo "  $out/$1.png"; }
# Waits for a dialog by its title and gives it the keyboard: with no window manager on
# the virtual display, a new window is not focused by itself and keys go elsewhere.
await() { local win; win=$(xdotool search --sync --limit 1 --onlyvisible --name "$1")
  xdotool windowfocus --sync "$win"; sleep 0.3; echo "$win"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
# Widget centres from the form's geometry; the central widget starts below the menu
# bar and the tool bar, 36 pixels down with the 8-point interface font.
top=36
tx_key() { click "$panel_win" $((180 + 50 * ($1 - 1))) $((top + 100)); }
split_key() { click "$panel_win" 100 $((top + 50)); }
super_split_key() { click "$panel_win" 100 $((top + 80)); }
# Picks the nth enabled item of a menu of the menu bar.
menu_item() { click "$panel_win" "$1" 10; for _ in $(seq "$2"); do xdotool key Down; done
  xdotool key Return; sleep 0.3; }
configs() { menu_item 65 "$1"; }

# The demo's captions and labels, with the receiver group shown.
{ cat scripts/demo-settings.ini; echo "REC=true"; } > "$work/bin/settingsshots.ini"

"$sim_program" --link "$work/tty" --fw 2.7 < "$work/sim-in" > "$work/sim.out" 2>&1 &
sim_pid=$!
"$work/bin/orvik-panel" shots >/dev/null 2>&1 &
panel_pid=$!
panel_win=$(xdotool search --sync --limit 1 --onlyvisible --name 'Korvane ORVIK Remote Control')
sleep 2.5
shot link-lost

# File > Serial Settings, pick Custom, type the simulator's path, Apply, File > Connect.
click "$panel_win" 20 10
xdotool key Down Down Down Down Down Return; sleep 0.6
dialog=$(await '^Settings$')
if $dialogs; then
  grab settings-dialog "$dialog"
  xdotool key F4                     # the port list's popup
  grab combo-popup
  xdotool key Escape
  sleep 0.3
fi
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

# File > Labels. The keys skip disabled items, and with the link up Connect and Serial
# Settings are: Disconnect, Connect to Station, Reconnect Automatically, Labels.
click "$panel_win" 20 10
xdotool key Down Down Down Down Return
labels_win=$(await '^Label Config$')
grab labels-dialog "$labels_win"
$dialogs || exit 0
xdotool key Escape

# The Configs menu with an item highlighted: separators, check marks and a selection.
click "$panel_win" 65 10
xdotool key Down Down
grab menu-configs
xdotool key Escape Escape
sleep 0.3

configs 5          # Configs > Radio and Bands...
radio_win=$(await '^Radio and Bands$')
grab radio-dialog "$radio_win"
click "$radio_win" 155 212   # the 160 m band's antenna list: every antenna and none
grab combo-popup-antennas
xdotool key Escape Escape
sleep 0.3

menu_item 110 2       # Help > About Korvane
grab about-dialog "$(await '^About Korvane$')"
xdotool key Escape
sleep 0.3
menu_item 110 1       # Help > About Qt, a message box
grab about-qt "$(await '^About Qt$')"
xdotool key Escape
