#!/usr/bin/env bash
# Checks the package scripts/package.sh built: unpacks it into a temporary root, runs
# kelmctl check-config and kelmsim --help from there, and validates the launcher and the
# AppStream metadata, and runs lintian, which must report no error.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KELM_BUILD_DIR:-build}
debs=("$BUILD_DIR"/kelmdrive_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "check-package: no package in $BUILD_DIR (scripts/package.sh)" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "check-package: $*" >&2; exit 1; }

"$root/usr/bin/kelmctl" check-config || fail "kelmctl check-config failed in the unpacked tree"
"$root/usr/bin/kelmsim" --help >/dev/null || fail "kelmsim --help failed in the unpacked tree"
[ -f "$root/usr/lib/kelmdrive/Bin/device.dll" ] || fail "no Bin/ beside the programs"
[ -f "$root/usr/lib/kelmdrive/installed-package" ] || fail "no installation marker"
for page in kelmctl kelmsim; do
    [ -f "$root/usr/share/man/man1/$page.1.gz" ] || fail "no man page of $page"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "no computed Qt dependency"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null
[ -f "$root/usr/share/doc/kelmdrive/copyright" ] || fail "no copyright file"
zcat "$root/usr/share/man/man1/kelmctl.1.gz" | grep -q '^\.SH "\?SEE ALSO' || fail "no SEE ALSO in kelmctl(1)"
lintian --fail-on error "$deb" >&2 ||
    fail "lintian reports errors"
echo "check-package: $deb is fine" >&2
