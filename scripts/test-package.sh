#!/usr/bin/env bash
# Builds the Debian package with `cpack -G DEB` and checks it: Debian's own
# checker, lintian, must report nothing but the tags the package overrides,
# each with its reason (no error, no warning, no unexpected information);
# then its name and fields, that everything lies under /usr and belongs to
# root, that the unpacked tree is the installed game in Debian's layout for
# games and nothing more, that its changelog names this version and release
# day, that the manual page documents every key of the README's settings
# table, and that Depends was computed from the libraries the game links:
# every library the executable needs must be provided by a package named
# there.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target orbivane

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "test-package: FAIL: $1"
  failures=$((failures + 1))
}

version="$(sed -n 's/^project(Orbivane VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
release_date="$(sed -n 's/^set(ORBIVANE_RELEASE_DATE \([0-9-]*\))$/\1/p' CMakeLists.txt)"
architecture="$(dpkg --print-architecture)"
deb="build/orbivane_${version}_${architecture}.deb"
rm -f "$deb"
(cd build && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
[ -f "$deb" ] || { echo "test-package: FAIL: cpack made no $deb"; ls build/*.deb; exit 1; }

lintian --display-info --fail-on error,warning,info "$deb" > "$work/lintian.log" 2>&1 ||
  fail "lintian:"$'\n'"$(grep -v '^running with root privileges' "$work/lintian.log")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = orbivane ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section is $(field Section)"

# Every entry under ./usr/, owned by root; programs 755, everything else 644.
dpkg-deb --contents "$deb" | awk '
  $6 !~ /^\.\/usr\// { print "outside /usr: " $6 }
  $2 != "root/root" { print "not owned by root: " $6 " " $2 }
  $1 ~ /^-/ && $1 != ($6 ~ /^\.\/usr\/(games\/orbivane|lib\/games\/orbivane\/orbivane)$/ ? "-rwxr-xr-x" : "-rw-r--r--") {
    print "unexpected mode: " $6 " " $1
  }' > "$work/contents-faults"
[ ! -s "$work/contents-faults" ] || fail "package contents: $(cat "$work/contents-faults")"

root="$work/root"
dpkg-deb --extract "$deb" "$root"
bash scripts/check-installed-tree.sh debian /usr "$root" || fail "the packaged tree"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.orbivane.orbivane.metainfo.xml" ||
  fail "the catalogue entry does not name version $version"
[[ "$(file -b "$root/usr/lib/games/orbivane/orbivane")" == *", stripped" ]] || fail "the packaged game is not stripped"
changelog="$root/usr/share/doc/orbivane/changelog.gz"
[ "$(dpkg-parsechangelog -l "$changelog" -S Version)" = "$version" ] &&
  [ "$(date -u -d "$(dpkg-parsechangelog -l "$changelog" -S Date)" +%F)" = "$release_date" ] ||
  fail "the changelog's latest entry is not version $version of $release_date"

# The keys are listed twice, for readers of the sources and of the manual.
settings="$(zcat "$root/usr/share/man/man6/orbivane.6.gz" | sed -n '/^\.SH SETTINGS$/,/^\.SH /p')"
keys="$(sed -n '/^## Settings$/,/^## /s/^| `\([^|]*\)` |.*/\1/p' README.md | grep -o '[A-Za-z]\+')"
[ -n "$keys" ] || fail "no settings table found in README.md"
for key in $keys; do
  grep -qE "^\.BR (.* )?$key( |$)" <<< "$settings" || fail "the manual page does not describe the setting $key"
done

depends="$(field Depends)"
for package in libglfw3 libopenal1; do
  [[ ", $depends" == *", $package ("* ]] || fail "Depends has no versioned $package: $depends"
done
multiarch="$(dpkg-architecture --query DEB_HOST_MULTIARCH)"
for library in $(objdump -p build/game/orbivane | awk '$1 == "NEEDED" { print $2 }'); do
  provider="$(dpkg-query --search "*/$multiarch/$library" | sed -n '1s/:.*//p')"
  [[ ", $depends" == *", $provider"[\ ,]* || ", $depends" == *", $provider" ]] ||
    fail "Depends lacks $provider, which provides $library: $depends"
done

if ((failures > 0)); then
  echo "test-package: $failures failure(s)"
  exit 1
fi
echo "test-package: $(basename "$deb"), lintian clean, Depends: $depends"
