#!/usr/bin/env bash
# Installs the orvik-panel and orvik-station packages as an operator would and uses them:
# it builds the packages (scripts/package.sh), installs both with apt, checks the files
# they put in place, then, as user 65534 with a fresh home folder, starts
# /usr/bin/orvik-panel on its own virtual display, types a caption for key 1 into
# File > Labels, ends the panel, starts it again and reads the caption back from the same
# dialog. The installed station makes a token for a copy of the example configuration,
# and then serves a client as its systemd unit would run it, without systemd (there is
# none to start it here). Last it removes and purges both packages and checks their files
# are gone.
# Runs as root (CI) or through sudo. The panel's output is shown when the test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${BUILD_DIR:-build-pkg}
display=:91 # a display of its own, well away from the :97 and :99 of the other scripts
user=65534  # nobody
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

begun=$(date +%s%N)
step() { printf '[%6.1f s] %s\n' "$((($(date +%s%N) - begun) / 1000000))e-3" "$*"; }

files=(
  /usr/bin/orvik-panel
  /usr/share/applications/com.korvane.orvik_panel.desktop
  /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/orvik-panel.png
  /usr/share/metainfo/com.korvane.orvik_panel.metainfo.xml
  /usr/share/man/man1/orvik-panel.1.gz
  /usr/share/doc/orvik-panel/copyright
)
station_files=(
  /usr/bin/orvik-station
  /usr/lib/systemd/system/orvik-station.service
  /usr/share/man/man1/orvik-station.1.gz
  /usr/share/doc/orvik-station/{copyright,changelog.gz,examples/station.ini}
)

work=$(mktemp -d /tmp/orvik-install-test.XXXXXX)
chmod 755 "$work"
home=$work/home
runtime=$work/run
panel_log=$work/panel.log
settings=$home/.config/orvik-panel/settings.ini
xvfb_pid='' panel_pid='' station_pid='' installed='' passed=''
cleanup() {
  [ -z "$panel_pid" ] || "${sudo_cmd[@]}" kill "$panel_pid" 2>/dev/null || true
  [ -z "$station_pid" ] || "${sudo_cmd[@]}" kill "$station_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  if [ -z "$passed" ]; then
    echo "install-test: FAILED after $((($(date +%s%N) - begun) / 1000000000)) s" >&2
    if [ -s "$panel_log" ]; then
      echo "--- what the panel printed:" >&2
      cat "$panel_log" >&2
    fi
    if "${sudo_cmd[@]}" test -f "$settings"; then
      echo "--- $settings:" >&2
      "${sudo_cmd[@]}" cat "$settings" >&2
    fi
    # Take off what this test installed.
    [ -z "$installed" ] || "${sudo_cmd[@]}" apt-get purge -y -qq orvik-panel orvik-station >/dev/null 2>&1 || true
  fi
  "${sudo_cmd[@]}" rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "install-test: $*" >&2; exit 1; }

step "building the packages"
scripts/package.sh >"$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "scripts/package.sh failed"; }
debs=("$root/$dir"/orvik-panel_*_amd64.deb "$root/$dir"/orvik-station_*_amd64.deb)
((${#debs[@]} == 2)) || fail "expected one orvik-panel and one orvik-station package in $dir, found: ${debs[*]}"
packages=(orvik-panel orvik-station)

# An earlier installation would turn the install below into "already the newest version".
for p in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    step "purging the $p installed before"
    "${sudo_cmd[@]}" apt-get purge -y -qq "$p" >/dev/null
  fi
done
step "installing ${debs[*]}"
installed=1
"${sudo_cmd[@]}" apt-get install -y -qq "${debs[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
for f in "${files[@]}" "${station_files[@]}"; do
  [ -f "$f" ] || fail "$f is not installed"
done
[ -x /usr/bin/orvik-panel ] || fail "/usr/bin/orvik-panel is not executable"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' /usr/share/applications/com.korvane.orvik_panel.desktop)
[ "$(command -v "$exec_name")" = /usr/bin/orvik-panel ] || fail "the desktop entry starts \"$exec_name\""

step "starting Xvfb on $display"
# One cookie for this display: the panel's user and this script's tools share it.
"${sudo_cmd[@]}" mkdir -p "$home" "$runtime"
export XAUTHORITY=$work/xauthority DISPLAY=$display
: >"$XAUTHORITY"
xauth -q -f "$XAUTHORITY" add "$display" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
"${sudo_cmd[@]}" install -m 600 "$XAUTHORITY" "$home/.Xauthority"
"${sudo_cmd[@]}" chown -R "$user:$user" "$home" "$runtime"
"${sudo_cmd[@]}" chmod 700 "$home" "$runtime"
Xvfb "$display" -auth "$XAUTHORITY" -nolisten tcp -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
# Ours must be the one answering: an Xvfb that finds the display taken ends at once.
xvfb_up() { kill -0 "$xvfb_pid" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; }
for _ in $(seq 50); do
  xvfb_up && break
  sleep 0.1
done
xvfb_up || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start on $display"; }

# The installed panel, as user 65534 with nothing of this script's environment.
start_panel() {
  "${sudo_cmd[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" \
    XAUTHORITY="$home/.Xauthority" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    setpriv --reuid="$user" --regid="$user" --clear-groups /usr/bin/orvik-panel \
    >>"$panel_log" 2>&1 &
  panel_pid=$!
  panel_win=$(timeout 20 xdotool search --sync --limit 1 --onlyvisible \
    --name '^Korvane ORVIK Remote Control$') || fail "the panel's window did not show"
}
# The panel has no Quit item and no window manager runs here to close a window: end the
# panel with SIGTERM, as the session does at logout.
stop_panel() {
  "${sudo_cmd[@]}" kill "$panel_pid"
  timeout 10 tail --pid="$panel_pid" -f /dev/null || fail "the panel did not end on SIGTERM"
  panel_pid=
}
# File > Labels (the sixth item), then into the caption of key 1: the dialog's fields run
# antenna labels 1-8 along the top, key captions 1-8 below them (forms/labels.ui).
open_caption_1() {
  xdotool mousemove --window "$panel_win" 20 10 click 1
  sleep 0.3
  xdotool key Down Down Down Down Down Down Return
  labels_win=$(timeout 10 xdotool search --sync --limit 1 --onlyvisible --name '^Label Config$') \
    || fail "the Labels dialog did not open"
  sleep 0.3
  xdotool mousemove --window "$labels_win" 55 65 click 1
  sleep 0.2
  xdotool key ctrl+a
}

caption=$(printf "Y%03d" $((RANDOM % 1000))) # a key caption holds four characters
step "first start: saving \"$caption\" as the caption of key 1"
start_panel
open_caption_1
xdotool type --delay 20 "$caption"
xdotool key Return
for _ in $(seq 50); do
  "${sudo_cmd[@]}" grep -qFx "K1=$caption" "$settings" 2>/dev/null && break
  sleep 0.1
done
"${sudo_cmd[@]}" grep -qFx "K1=$caption" "$settings" 2>/dev/null \
  || fail "$settings does not hold K1=$caption"
stop_panel

step "second start: reading the caption of key 1 back"
start_panel
open_caption_1
xdotool key ctrl+c
sleep 0.3
shown=$(timeout 5 xclip -o -selection clipboard 2>/dev/null) || shown=
xdotool key Escape
[ "$shown" = "$caption" ] || fail "after the restart the caption of key 1 is \"$shown\", not \"$caption\""
"${sudo_cmd[@]}" grep -qFx "K1=$caption" "$settings" || fail "$settings lost K1 after the restart"
stop_panel

# A healthy start is a silent one: nothing on the terminal, twice.
[ ! -s "$panel_log" ] || fail "the panel printed on a healthy start: $(cat "$panel_log")"

step "the installed station: a token for a copy of the example configuration"
conf=$work/station
"${sudo_cmd[@]}" install -d -m 700 "$conf"
"${sudo_cmd[@]}" install -m 644 /usr/share/doc/orvik-station/examples/station.ini "$conf/station.ini"
token=$("${sudo_cmd[@]}" /usr/bin/orvik-station --config "$conf/station.ini" --add-token logger) \
  || fail "orvik-station --add-token failed on the example configuration"
[[ $token =~ ^[A-Za-z0-9_-]{32}$ ]] || fail "--add-token printed \"$token\", not a token"
mode=$("${sudo_cmd[@]}" stat -c %a "$conf/tokens")
[ "$mode" = 600 ] || fail "the tokens file has mode $mode, not 600"
"${sudo_cmd[@]}" grep -qx 'logger control [0-9a-f]\{64\}' "$conf/tokens" || fail "the tokens file holds no hash for logger"
! "${sudo_cmd[@]}" grep -qF -e "$token" "$conf/tokens" || fail "the tokens file holds the token itself"

step "the installed station serving as its unit runs it"
# What the unit's LoadCredential= hands the service: copies of station.ini and tokens,
# owned by the service's user with mode 0400. Listening on every address, the station
# starts only if it could read the copy of the tokens.
port=$((20000 + RANDOM % 20000))
"${sudo_cmd[@]}" sed -i "s/^Listen=.*/Listen=0.0.0.0:$port/; s/^Web=.*/Web=127.0.0.1:$((port + 1))/" \
  "$conf/station.ini"
creds=$work/credentials
"${sudo_cmd[@]}" install -d "$creds"
for f in station.ini tokens; do
  "${sudo_cmd[@]}" install -m 400 -o "$user" -g root "$conf/$f" "$creds/$f"
done
"${sudo_cmd[@]}" chown "$user" "$creds"
"${sudo_cmd[@]}" chmod 500 "$creds"
"${sudo_cmd[@]}" env -i PATH=/usr/bin:/bin setpriv --reuid="$user" --regid="$user" --clear-groups \
  /usr/bin/orvik-station --config "$creds/station.ini" >"$work/station.log" 2>&1 &
station_pid=$!
listening() { bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null; }
for _ in $(seq 50); do
  listening && break
  kill -0 "$station_pid" 2>/dev/null || break
  sleep 0.1
done
listening || fail "the station does not listen on port $port: $(cat "$work/station.log")"
# The lines given, then what came back within a second.
reply=$(timeout 5 bash -c 'exec 3<>"/dev/tcp/127.0.0.1/$0"; printf "%s\n" "$@" >&3; timeout 1 cat <&3' \
  "$port" "C1|auth token=$token" "C2|info") || true
version=$(dpkg-query -W -f='${Version}' orvik-station)
grep -qx "V$version ORVIK name=Orvik" <<<"$reply" || fail "no greeting from the station: $reply"
grep -qx 'R1|00|name=logger role=control' <<<"$reply" || fail "the token was not taken: $reply"
grep -q "^R2|00|station name=Orvik version=$version " <<<"$reply" || fail "no answer to info: $reply"
"${sudo_cmd[@]}" kill "$station_pid"
wait "$station_pid" || true
station_pid=

step "removing the packages"
"${sudo_cmd[@]}" apt-get remove -y -qq "${packages[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get remove failed"; }
for f in /usr/bin/orvik-panel /usr/bin/orvik-station; do
  [ ! -e "$f" ] || fail "$f is still there after apt-get remove"
done
# With no configuration files the removal leaves nothing for apt-get purge to find.
"${sudo_cmd[@]}" dpkg --purge "${packages[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "dpkg --purge failed"; }
installed=
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null) || status=not-installed
  [ "$status" = not-installed ] || fail "dpkg lists $p as $status after the purge"
done
for f in "${files[@]}" "${station_files[@]}"; do
  [ ! -e "$f" ] || fail "$f is still there after the purge"
done

passed=1
step "install-test: passed"
