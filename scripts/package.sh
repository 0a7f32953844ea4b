#!/usr/bin/env bash
# Builds the Debian packages orvik-panel, orvik-sim and orvik-station from a release build
# in build-pkg/ (or the folder given as BUILD_DIR) and checks what they hold: lintian (any
# error or warning fails, and any hardening tag; informational tags are printed), the
# desktop entry, the AppStream metadata read together with the files it names, the
# station's systemd unit (systemd-analyze verify, and its exposure as systemd-analyze
# security rates it: above 2.5 fails), and the version of the changelog and of the
# metadata's newest release.
# Usage: scripts/package.sh     The packages are left as build-pkg/*.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
dir=${BUILD_DIR:-build-pkg}
# CPack gives the packages' folders the permissions they get here: 755, whatever the
# caller's umask.
umask 022

# RelWithDebInfo is -O2 -g, as Debian builds; CPack strips the debug information.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVIK_BUILD_TESTS=OFF \
  -DORVIK_BUILD_BENCH=OFF -DORVIK_HARDENING=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB) >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log" >&2; exit 1; }
debs=("$dir"/orvik-panel_*.deb "$dir"/orvik-sim_*.deb "$dir"/orvik-station_*.deb)

failed=0
fail() { echo "package: $*" >&2; failed=1; }

echo "== lintian"
report=$(lintian --display-info --fail-on error,warning "${debs[@]}" 2>&1) \
  || fail "lintian found errors or warnings"
[ -z "$report" ] || echo "$report"
# Lintian rates a missing BIND_NOW or fortification as information only; here they fail.
! grep -q ' hardening-' <<<"$report" || fail "the binaries are not hardened"

# What the panel's package installs, unpacked, as the desktop and software centres see it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/panel
dpkg-deb -x "${debs[0]}" "$tree"
echo "== desktop-file-validate"
desktop=("$tree"/usr/share/applications/*.desktop)
out=$(desktop-file-validate "${desktop[@]}" 2>&1) || fail "desktop entry invalid"
[ -z "$out" ] || echo "$out"
! grep -q -E '(error|warning):' <<<"$out" || fail "desktop entry has warnings"
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --no-net "$tree" || fail "AppStream metadata invalid"

# The station's unit, as the package installs it.
station=$work/station
dpkg-deb -x "${debs[2]}" "$station"
unit=$station/usr/lib/systemd/system/orvik-station.service
echo "== systemd-analyze verify"
# The unit is read as installed except that it starts the package's own binary, which
# verify checks is there and executable; the manual page it names is looked up in the
# package too. Verify says what is wrong (an unknown key, a bad value) and exits 0 all
# the same, so anything it prints fails.
verified=$work/verify
mkdir "$verified"
sed "s|/usr/bin/orvik-station|$station/usr/bin/orvik-station|" "$unit" \
  >"$verified/orvik-station.service"
out=$(MANPATH=$station/usr/share/man systemd-analyze verify "$verified/orvik-station.service" 2>&1) \
  || fail "systemd-analyze verify failed"
[ -z "$out" ] || { echo "$out"; fail "systemd-analyze verify found problems in the unit"; }
echo "== systemd-analyze security"
# --threshold is the exposure times ten.
out=$(systemd-analyze security --offline=true --threshold=25 "$unit" 2>&1) \
  || fail "the unit's exposure is above 2.5, or systemd-analyze could not rate it"
grep -a 'Overall exposure level' <<<"$out" || echo "$out"

# The changelog and the metainfo are edited by hand: both must be at the packages' version.
version=$(dpkg-deb -f "${debs[0]}" Version)
changelog=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
release=$(grep -o -m1 '<release version="[^"]*"' "$tree"/usr/share/metainfo/*.xml | cut -d'"' -f2)
[ "$changelog" = "$version" ] || fail "packaging/debian/changelog is at $changelog, the packages at $version"
[ "$release" = "$version" ] || fail "the metainfo's newest release is $release, the packages $version"

echo "== packages"
for deb in "${debs[@]}"; do
  echo "$(realpath "$deb")  $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
done
exit "$failed"
