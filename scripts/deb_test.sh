#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian and, as root, installs it
# with dpkg -i and removes it again with dpkg -r. A machine that already has
# the package installed is left alone, and the package never stays installed
# after this script, whatever fails.
# Usage: bash scripts/deb_test.sh [BUILD_DIR]   (after a build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
PACKAGE=zintrel

rm -rf "$BUILD/packages"
cmake --build "$BUILD" --target znvault znreg zn_changelog >/dev/null
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD"/packages/${PACKAGE}_*.deb)
echo "Built $DEB"

# The software-centre entry as the package holds it; warnings fail too.
METAINFO=usr/share/metainfo/example.halvorn.zintrel.metainfo.xml
UNPACKED=$(mktemp -d)
trap 'rm -rf "$UNPACKED"' EXIT
dpkg-deb -x "$DEB" "$UNPACKED"
appstreamcli validate --no-net "$UNPACKED/$METAINFO"

# Errors fail; warnings and notes are shown.
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$DEB" | tee "$BUILD/packages/lintian.txt" || true
    if grep -q '^E:' "$BUILD/packages/lintian.txt"; then echo "FAIL: lintian reports errors" >&2; exit 1; fi
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Not root: the package was built and checked, not installed."
    exit 0
fi
if dpkg-query -W -f='${Status}' "$PACKAGE" 2>/dev/null | grep -q 'install ok installed'; then
    echo "The package is installed on this machine already: not touching it."
    exit 0
fi

trap 'rm -rf "$UNPACKED"; dpkg -r "$PACKAGE" >/dev/null 2>&1 || true' EXIT
dpkg -i "$DEB"
for file in /usr/bin/znvault /usr/bin/znreg /usr/share/zintrel/znhelp.htm \
    /usr/share/applications/znvault.desktop /$METAINFO /usr/share/icons/hicolor/scalable/apps/znvault.svg \
    /usr/share/doc/$PACKAGE/copyright; do
    [ -e "$file" ] || { echo "FAIL: $file was not installed" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/znvault.desktop
# The packaged tool runs on a store of its own.
ZINTREL_REGISTRY=$(mktemp -d)/registry.db /usr/bin/znreg query 'HKCU\Software' >/dev/null || true
dpkg -r "$PACKAGE"
trap 'rm -rf "$UNPACKED"' EXIT
[ ! -e /usr/bin/znvault ] || { echo "FAIL: dpkg -r left /usr/bin/znvault" >&2; exit 1; }
echo "PASS: the package installs and removes cleanly"
