#!/usr/bin/env bash
# Checks an installed game under a prefix (such as /usr): the launcher, the
# game with its shaders and generated assets, the desktop entry, the icon and
# the software catalogue entry, each valid, and nothing else: no tool, test
# or benchmark. Compares shaders and assets with those of the build in build/.
#
# usage: scripts/check-installed-tree.sh <prefix>
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="$1"
status=0
fail() {
  echo "check-installed-tree: FAIL: $1"
  status=1
}

expected="bin/orbivane
share/applications/orbivane.desktop
share/icons/hicolor/256x256/apps/orbivane.png
share/metainfo/org.orbivane.orbivane.metainfo.xml
share/orbivane/orbivane"
actual="$(cd "$prefix" && find . -not -type d -not -path './share/orbivane/shader/*' \
  -not -path './share/orbivane/res/*' | sed 's|^\./||' | LC_ALL=C sort)"
[ "$actual" = "$expected" ] || fail "installed files are not the expected ones:"$'\n'"$actual"

for program in bin/orbivane share/orbivane/orbivane; do
  [ -x "$prefix/$program" ] || fail "$program is not executable"
done
diff -r shader "$prefix/share/orbivane/shader" > /dev/null || fail "the installed shaders differ from shader/"
diff -r build/game/res "$prefix/share/orbivane/res" > /dev/null || fail "the installed assets differ from build/game/res"

# The desktop entry: valid without so much as a hint, in the Game menu,
# starting the launcher with the installed icon.
entry="$prefix/share/applications/orbivane.desktop"
report="$(desktop-file-validate "$entry" 2>&1)" && [ -z "$report" ] || fail "the desktop entry is not valid: $report"
grep -Eq '^Categories=(.*;)?Game;' "$entry" || fail "the desktop entry is not in the Game category"
grep -qx 'Exec=orbivane' "$entry" && grep -qx 'Icon=orbivane' "$entry" ||
  fail "the desktop entry does not start the launcher with the icon"
metainfo="$prefix/share/metainfo/org.orbivane.orbivane.metainfo.xml"
catalogue="$(appstreamcli validate --no-net "$metainfo" 2>&1)" ||
  fail "the catalogue entry is not valid: $catalogue"
icon="$(file -b "$prefix/share/icons/hicolor/256x256/apps/orbivane.png")"
[[ "$icon" == "PNG image data, 256 x 256, 8-bit/color RGBA"* ]] || fail "the icon is not a 256 x 256 RGBA PNG: $icon"

exit "$status"
