#!/usr/bin/env bash
# Checks an installed game in one of its two layouts: `gnu`, what
# `cmake --install` gives with the default directories, or `debian`, the
# Debian package's layout for games with its copyright, changelog and lintian
# overrides. The command (which must answer --version), the program, the
# shaders and generated assets, the manual page, the desktop entry, the icon
# and the software catalogue entry must be there, each valid, and nothing
# else: no tool, test or benchmark. Shaders, assets and the manual page are
# compared with those of the build in build/.
#
# The files lie under <destdir><prefix>; the menu entry must start the command
# by its full path under <prefix>, where it runs once installed.
#
# usage: scripts/check-installed-tree.sh gnu|debian <prefix> [<destdir>]
set -euo pipefail
cd "$(dirname "$0")/.."

layout="$1"
prefix="$2"
tree="${3:-}$prefix"
status=0
fail() {
  echo "check-installed-tree: FAIL: $1"
  status=1
}

common="share/applications/orbivane.desktop
share/icons/hicolor/256x256/apps/orbivane.png
share/man/man6/orbivane.6.gz
share/metainfo/org.orbivane.orbivane.metainfo.xml"
case "$layout" in
  gnu)
    command=bin/orbivane program=libexec/orbivane/orbivane data=share/orbivane
    extra=""
    ;;
  debian)
    command=games/orbivane program=lib/games/orbivane/orbivane data=share/games/orbivane
    extra="share/doc/orbivane/changelog.gz
share/doc/orbivane/copyright
share/lintian/overrides/orbivane"
    ;;
  *)
    echo "usage: $0 gnu|debian <prefix> [<destdir>]" >&2
    exit 2
    ;;
esac
expected="$(printf '%s\n' "$command" "$program" "$data/.orbivane-install" "$common" $extra | LC_ALL=C sort)"
actual="$(cd "$tree" && find . -not -type d -not -path "./$data/shader/*" -not -path "./$data/res/*" |
  sed 's|^\./||' | LC_ALL=C sort)"
[ "$actual" = "$expected" ] || fail "installed files are not the expected ones:"$'\n'"$actual"

for file in "$command" "$program"; do
  [ -x "$tree/$file" ] || fail "$file is not executable"
done
version="$(sed -n 's/^project(Orbivane VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
answer="$(env -u DISPLAY "$tree/$command" --version 2>&1)" && [ "$answer" = "orbivane $version" ] ||
  fail "$command --version answered: $answer"
diff -r shader "$tree/$data/shader" > /dev/null || fail "the installed shaders differ from shader/"
diff -r build/game/res "$tree/$data/res" > /dev/null || fail "the installed assets differ from build/game/res"

manual="$tree/share/man/man6/orbivane.6.gz"
zcat "$manual" | cmp -s - build/packaging/orbivane.6 || fail "the manual page differs from the built one"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 > /dev/null)"
[ -z "$warnings" ] || fail "the manual page has formatting faults: $warnings"

# The desktop entry: valid without so much as a hint, in the Game menu,
# starting the command by its full path (quoted when it holds a blank).
entry="$tree/share/applications/orbivane.desktop"
report="$(desktop-file-validate "$entry" 2>&1)" && [ -z "$report" ] || fail "the desktop entry is not valid: $report"
grep -Eq '^Categories=(.*;)?Game;' "$entry" || fail "the desktop entry is not in the Game category"
started="$prefix/$command"
[[ "$started" != *" "* ]] || started="\"$started\""
grep -qxF "Exec=$started" "$entry" && grep -qx 'Icon=orbivane' "$entry" ||
  fail "the desktop entry does not start $started with the icon: $(grep '^Exec=' "$entry")"
metainfo="$tree/share/metainfo/org.orbivane.orbivane.metainfo.xml"
catalogue="$(appstreamcli validate --no-net "$metainfo" 2>&1)" ||
  fail "the catalogue entry is not valid: $catalogue"
icon="$(file -b "$tree/share/icons/hicolor/256x256/apps/orbivane.png")"
[[ "$icon" == "PNG image data, 256 x 256, 8-bit/color RGBA"* ]] || fail "the icon is not a 256 x 256 RGBA PNG: $icon"

exit "$status"
