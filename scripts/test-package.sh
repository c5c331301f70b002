#!/usr/bin/env bash
# Builds the Debian package with `cpack -G DEB` and checks it: its name and
# fields, that everything lies under /usr and belongs to root, that the
# unpacked tree is the installed game and nothing more, and that Depends was
# computed from the libraries the game links: every library the executable
# needs must be provided by a package named there.
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
architecture="$(dpkg --print-architecture)"
deb="build/orbivane_${version}_${architecture}.deb"
rm -f "$deb"
(cd build && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
[ -f "$deb" ] || { echo "test-package: FAIL: cpack made no $deb"; ls build/*.deb; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = orbivane ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section is $(field Section)"

# Every entry under ./usr/, owned by root; programs 755, everything else 644.
dpkg-deb --contents "$deb" | awk '
  $6 !~ /^\.\/usr\// { print "outside /usr: " $6 }
  $2 != "root/root" { print "not owned by root: " $6 " " $2 }
  $1 ~ /^-/ && $1 != ($6 ~ /\/(bin\/orbivane|share\/orbivane\/orbivane)$/ ? "-rwxr-xr-x" : "-rw-r--r--") {
    print "unexpected mode: " $6 " " $1
  }' > "$work/contents-faults"
[ ! -s "$work/contents-faults" ] || fail "package contents: $(cat "$work/contents-faults")"

dpkg-deb --extract "$deb" "$work/root"
bash scripts/check-installed-tree.sh "$work/root/usr" || fail "the packaged tree"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/org.orbivane.orbivane.metainfo.xml" ||
  fail "the catalogue entry does not name version $version"
[[ "$(file -b "$work/root/usr/share/orbivane/orbivane")" == *", stripped" ]] || fail "the packaged game is not stripped"

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
echo "test-package: $(basename "$deb"), Depends: $depends"
