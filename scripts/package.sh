#!/usr/bin/env bash
# Builds the Debian packages orvik-panel and orvik-sim from a release build in build-pkg/
# (or the folder given as BUILD_DIR) and checks what they hold: lintian (any error or
# warning fails, and any hardening tag; informational tags are printed), the desktop
# entry, the AppStream metadata read together with the files it names, and the version
# of the changelog and of the metadata's newest release.
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
debs=("$dir"/orvik-panel_*.deb "$dir"/orvik-sim_*.deb)

failed=0
fail() { echo "package: $*" >&2; failed=1; }

echo "== lintian"
report=$(lintian --display-info --fail-on error,warning "${debs[@]}" 2>&1) \
  || fail "lintian found errors or warnings"
[ -z "$report" ] || echo "$report"
# Lintian rates a missing BIND_NOW or fortification as information only; here they fail.
! grep -q ' hardening-' <<<"$report" || fail "the binaries are not hardened"

# What the panel's package installs, unpacked, as the desktop and software centres see it.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "${debs[0]}" "$tree"
echo "== desktop-file-validate"
desktop=("$tree"/usr/share/applications/*.desktop)
out=$(desktop-file-validate "${desktop[@]}" 2>&1) || fail "desktop entry invalid"
[ -z "$out" ] || echo "$out"
! grep -q -E '(error|warning):' <<<"$out" || fail "desktop entry has warnings"
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --no-net "$tree" || fail "AppStream metadata invalid"

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
