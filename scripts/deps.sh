#!/usr/bin/env bash
# Installs from Debian's archive whatever the build, the demo and the tests need and
# this machine does not have yet. Safe to run again: it installs only what is missing.
# QT_MAJOR=6 adds Qt 6 (the Qt 6 build and scripts/test-qt6.sh); Qt 5 is always there.
set -euo pipefail

packages=(
  cmake g++ make ccache pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev libqt5websockets5-dev
  fonts-dejavu-core          # the offscreen platform still needs a font to measure text
  xvfb xauth imagemagick xdotool  # a headless display for the demo and screenshots
  clang-14 libclang-rt-14-dev  # libFuzzer and the sanitizer runtimes
  ser2net socat              # serial-over-IP round trip
  dpkg-dev file lintian desktop-file-utils appstream  # the Debian packages and their checks
  systemd                    # systemd-analyze, for the station's unit
  xclip                      # reads the panel's clipboard in the install test
  libhamlib-utils            # rigctld and rigctl, a real frequency source for the tests
  chromium chromium-driver python3-selenium  # the station's web page in a real browser
  openssl                    # a certificate for the station's TLS test
)
if [ "${QT_MAJOR:-5}" = 6 ]; then
  # qt6-base-dev brings the OpenGL and Vulkan headers that Qt 6's CMake files look for.
  packages+=(qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-websockets-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
