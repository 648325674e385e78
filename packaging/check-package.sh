#!/usr/bin/env bash
# make check-package: the .deb built in BUILD_DIR through lintian, and what it installs
# for the desktop through desktop-file-validate and appstreamcli. Any error fails; lintian
# warnings are printed but do not fail, appstreamcli fails on its warnings too.
# --no-net: the metadata's URLs are not fetched, so the check needs no network.
# Usage: packaging/check-package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: check-package.sh BUILD_DIR}"
deb="$(ls -t "$build"/drifthold_*.deb 2>/dev/null | head -n 1)"
[ -n "$deb" ] || { echo "no drifthold_*.deb in $build: run make package" >&2; exit 1; }
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

echo "== lintian $deb"
lintian --display-info --display-experimental --pedantic --fail-on error "$deb" || fail "lintian"

dpkg -x "$deb" "$root"
for desktop in "$root"/usr/share/applications/*.desktop; do
    echo "== desktop-file-validate ${desktop#"$root"}"
    desktop-file-validate "$desktop" || fail "desktop-file-validate ${desktop#"$root"}"
done
for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
    echo "== appstreamcli validate ${metainfo#"$root"}"
    appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
    # The screenshots it names must be the README's, under the same file names.
    for shot in $(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo"); do
        [ -f "docs/$shot" ] || fail "${metainfo#"$root"} names $shot, which docs/ lacks"
    done
done
# The tree as a whole: the entry the metadata launches and the icon it names are there.
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --no-net --pedantic "$root" || fail "appstreamcli validate-tree"

[ "$status" -eq 0 ] && echo "PASS: package checks"
exit "$status"
