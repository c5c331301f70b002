#!/usr/bin/env bash
# Installs the built game as `cmake --install` does for a player or a
# packager, in every layout the install rules offer, and checks each:
# - the default directories, in a prefix whose path holds a blank: the
#   installed files, then a few seconds of play from another folder with a
#   fresh HOME (the first start must write Orbivane.ini and Escape save the
#   score in ~/.local/share/orbivane, and nothing may be written under the
#   prefix);
# - that installation's menu entry, started as the desktop starts it, with a
#   PATH that does not hold the prefix;
# - the same tree moved and started through a link, with XDG_DATA_HOME set
#   and a bad setting there: the command must repair the player's links
#   (one to a gone installation, one to another that is still there) and
#   hand back the game's own exit status and log; a relative XDG_DATA_HOME
#   is ignored;
# - shaders and assets that an older installation into ~/.local left in the
#   player's folder are moved aside (never over an earlier copy), while a
#   folder the player made is used as it is;
# - an installation into ~/.local, whose data folder is the player's, also
#   over the links that another installation's command made there;
# - Debian's layout for games, as the package's install component;
# - absolute directories for the command and the data, as a packager may
#   give them.
# Other layouts are configured in build/ for a moment; its install directories
# are put back at the end. Without a display it runs itself on a private Xvfb
# server.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/quit-game.sh

if [ "${1:-}" != --built ]; then
  bash scripts/setup.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build build -j"$(nproc)" --target orbivane
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --built
fi

title="KOLM 2015: Orbivane"
work="$(mktemp -d)"
pid=""
install_dirs() { sed -n "s/^\(CMAKE_INSTALL_\(BIN\|LIBEXEC\|DATA\)DIR\):PATH=\(.*\)/-D\1=\3/p" build/CMakeCache.txt; }
mapfile -t configured_dirs < <(install_dirs)
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then
    kill -9 "$pid" 2> /dev/null || true
  fi
  [ "$(install_dirs)" = "$(printf '%s\n' "${configured_dirs[@]}")" ] ||
    cmake -S . -B build "${configured_dirs[@]}" > /dev/null
  rm -rf "$work"
}
trap finish EXIT

failures=0
fail() {
  echo "test-install: FAIL: $1"
  failures=$((failures + 1))
}

home="$work/home"
elsewhere="$work/elsewhere"
mkdir -p "$home" "$elsewhere"

# Starts an installed command with a setting that the game rejects at once:
# the game ends by itself with status 255 after the command has set up the
# player's folder $2/orbivane. The console goes to $work/$3.log and $3.err.
start_rejected() {
  local command="$1" data="$2" name="$3" status
  mkdir -p "$data/orbivane"
  printf 'Width=wide\n' > "$data/orbivane/Orbivane.ini"
  (cd "$elsewhere" && exec timeout 60 env XDG_DATA_HOME="$data" HOME="$home" ALSOFT_DRIVERS=null "$command" \
    < /dev/null > "$work/$name.log" 2> "$work/$name.err") && status=0 || status=$?
  [ "$status" = 255 ] && grep -q "invalid stoi argument" "$work/$name.log" ||
    fail "$name: the game did not run and reject its setting (status $status): $(cat "$work/$name.err")"
}

# Whether the player's folder $1 links shader/ and res/ to the data folder $2.
expect_links() {
  for linked in shader res; do
    [ "$(readlink "$1/$linked")" = "$(realpath "$2")/$linked" ] ||
      fail "$3: $1/$linked does not link to $2/$linked"
  done
}

# The default directories, in a prefix whose path holds a blank.
prefix="$work/the prefix"
cmake --install build --prefix "$prefix" > /dev/null
bash scripts/check-installed-tree.sh gnu "$prefix" || fail "the installed tree"

snapshot() { (cd "$1" && find . -printf '%p %y %m %s %T@\n' | LC_ALL=C sort); }
installed="$(snapshot "$prefix")"

(cd "$elsewhere" && exec env -u XDG_DATA_HOME HOME="$home" ALSOFT_DRIVERS=null "$prefix/bin/orbivane" \
  < /dev/null > "$work/game.log" 2> "$work/game.err") &
pid=$!
window="$(timeout 90 xdotool search --sync --onlyvisible --name "^$title" | head -n 1 || true)"
if [ -z "$window" ]; then
  echo "test-install: FAIL: the installed game's window never appeared"
  cat "$work/game.log" "$work/game.err"
  exit 1
fi
timeout 10 xdotool windowfocus --sync "$window" || true
# Past the level introduction, a little faster, a few shots, then Escape.
sleep 2
xdotool keydown w sleep 0.5 keyup w keydown space sleep 1 keyup space
if quit_with_escape "$pid"; then
  wait "$pid" && status=0 || status=$?
  pid=""
  [ "$status" = 0 ] || fail "the installed game ended with exit status $status after Escape"
else
  fail "the installed game did not end within 20 s of Escape"
fi

player="$home/.local/share/orbivane"
score="$(sed -n 's/^Mr\. Gorgeous!|\(-\{0,1\}[0-9]*\)$/\1/p' "$player/highscores.txt" 2> /dev/null || true)"
[ -n "$score" ] || fail "no score saved in $player/highscores.txt"
grep -qx "Mr. Gorgeous!|$score" "$work/game.log" || fail "the game's log did not come through the launcher"
expect_links "$player" "$prefix/share/orbivane" "played"
[ -d "$player/out" ] || fail "no out/ folder in $player"
grep -qx '# Volume=100' "$player/Orbivane.ini" 2> /dev/null ||
  fail "the first start wrote no Orbivane.ini with every setting in $player"
[ -z "$(ls -A "$elsewhere")" ] || fail "the game wrote into the folder it was started from: $(ls -A "$elsewhere")"
[ "$(snapshot "$prefix")" = "$installed" ] || fail "something was written under the prefix"

# The menu entry, started as a desktop starts it, before the desktop's PATH
# holds the prefix's bin/: the game must run, set up by the command.
menu_data="$work/menu-data"
mkdir -p "$menu_data/orbivane"
printf 'Width=wide\n' > "$menu_data/orbivane/Orbivane.ini"
(cd "$elsewhere" && exec env XDG_DATA_HOME="$menu_data" HOME="$home" PATH=/usr/bin:/bin ALSOFT_DRIVERS=null \
  timeout 20 gio launch "$prefix/share/applications/orbivane.desktop" < /dev/null > "$work/menu.log" 2>&1) ||
  fail "the menu entry could not be started: $(cat "$work/menu.log")"
for _ in $(seq 1 100); do
  grep -q "invalid stoi argument" "$work/menu.log" && break
  sleep 0.2
done
grep -q "invalid stoi argument" "$work/menu.log" || fail "the menu entry did not start the game: $(cat "$work/menu.log")"
expect_links "$menu_data/orbivane" "$prefix/share/orbivane" "the menu entry"

# A moved installation, started through a link, for a player whose folder
# holds links to an old installation that is gone and to another one that
# is still there, and a setting the game rejects.
moved="$work/moved"
mv "$prefix" "$moved"
ln -s "$moved/bin/orbivane" "$work/orbivane"
data="$work/data"
mkdir -p "$data/orbivane" "$work/still-there/res"
ln -s "$work/old/share/orbivane/shader" "$data/orbivane/shader"
ln -s "$work/still-there/res" "$data/orbivane/res"
start_rejected "$work/orbivane" "$data" moved
expect_links "$data/orbivane" "$moved/share/orbivane" "moved"
[ "$(cat "$data/orbivane/Orbivane.ini")" = "Width=wide" ] || fail "the player's settings file changed"

# A relative XDG_DATA_HOME names no base directory: the player's folder is
# ~/.local/share/orbivane, wherever the game is started from.
mkdir -p "$work/relative-home/.local/share/orbivane"
printf 'Width=wide\n' > "$work/relative-home/.local/share/orbivane/Orbivane.ini"
(cd "$elsewhere" && exec timeout 60 env XDG_DATA_HOME=relative HOME="$work/relative-home" ALSOFT_DRIVERS=null \
  "$work/orbivane" < /dev/null > "$work/relative.log" 2>&1) || true
expect_links "$work/relative-home/.local/share/orbivane" "$moved/share/orbivane" "a relative XDG_DATA_HOME"
[ -z "$(ls -A "$elsewhere")" ] || fail "a relative XDG_DATA_HOME put the player's folder where the game was started"

# Real shader/ and res/ in the player's folder, left by an older installation
# into ~/.local (marked by its program beside them, or by the mark file of a
# newer one), or made by the player (no mark). One copy moved aside earlier
# today is already there and must stay as it was.
day="$(date +%Y-%m-%d)"
for mark in orbivane .orbivane-install ""; do
  data="$work/left${mark:+-by-$mark}"
  folder="$data/orbivane"
  mkdir -p "$folder/shader" "$folder/res/models" "$folder/shader.old-$day"
  echo old > "$folder/shader/Sun.vertexShader.txt"
  echo old > "$folder/res/models/Ship.obj"
  echo earlier > "$folder/shader.old-$day/kept"
  [ -z "$mark" ] || install -m 755 /dev/null "$folder/$mark"
  start_rejected "$work/orbivane" "$data" "left${mark:+-by-$mark}"
  if [ -n "$mark" ]; then
    expect_links "$folder" "$moved/share/orbivane" "left by $mark"
    for left in shader res "$mark"; do
      aside="$left.old-$day"
      [ "$left" != shader ] || aside="$left.old-$day.2"
      [ -e "$folder/$aside" ] ||
        fail "left by $mark: $left was not moved aside to $aside"
      grep -qxF "orbivane: $folder/$left was left by an earlier installation; moved it aside to $folder/$aside" \
        "$work/left-by-$mark.err" || fail "left by $mark: the move of $left was not told: $(cat "$work/left-by-$mark.err")"
    done
    [ "$(cat "$folder/shader.old-$day.2/Sun.vertexShader.txt")" = old ] &&
      [ "$(cat "$folder/res.old-$day/models/Ship.obj")" = old ] || fail "left by $mark: the old files changed"
  else
    [ -d "$folder/shader" ] && [ ! -L "$folder/shader" ] && [ "$(cat "$folder/shader/Sun.vertexShader.txt")" = old ] &&
      [ ! -e "$folder/shader.old-$day.2" ] || fail "the player's own shader/ was not used as it is"
    grep -qxF "orbivane: using your own $folder/shader instead of the installed one" "$work/left.err" ||
      fail "the player was not told that their own shader/ is used: $(cat "$work/left.err")"
  fi
  [ "$(cat "$folder/shader.old-$day/kept")" = earlier ] || fail "${mark:-no mark}: an earlier copy was touched"
done

# Installed with the prefix ~/.local, the game's data folder is the player's
# own: it runs there as it is, without links and without a word from the
# command. The folder already holds the links that another installation's
# command made to its own data, which the install must replace, not write
# through.
local_home="$work/local-home"
local_data="$local_home/.local/share"
other="$work/other"
mkdir -p "$local_data/orbivane" "$other/shader" "$other/res"
for linked in shader res; do
  ln -s "$other/$linked" "$local_data/orbivane/$linked"
done
cmake --install build --prefix "$local_home/.local" > /dev/null
[ -z "$(find "$other" -type f)" ] ||
  fail "installing into ~/.local wrote through the links into another installation"
start_rejected "$local_home/.local/bin/orbivane" "$local_data" local
[ -d "$local_data/orbivane/shader" ] && [ ! -L "$local_data/orbivane/shader" ] &&
  ! grep -q '^orbivane:' "$work/local.err" ||
  fail "installed in ~/.local, the launcher linked the game's folder to itself: $(cat "$work/local.err")"
# Another installation's command then moved its shader/ aside.
mv "$local_data/orbivane/shader" "$local_data/orbivane/shader.old-$day"
ln -s "$moved/share/orbivane/shader" "$local_data/orbivane/shader"
(exec timeout 60 env XDG_DATA_HOME="$local_data" "$local_home/.local/bin/orbivane" \
  < /dev/null > "$work/replaced.log" 2> "$work/replaced.err") && status=0 || status=$?
[ "$status" = 1 ] && [ "$(cat "$work/replaced.err")" = \
  "orbivane: $local_data/orbivane/shader is not this installation's own: install the game again" ] ||
  fail "installed in ~/.local, a replaced shader/ was not reported (status $status): $(cat "$work/replaced.err")"

# Debian's layout for games, installed as the package installs it.
debian="$work/debian"
cmake --install build --component debian --prefix "$debian" > /dev/null
bash scripts/check-installed-tree.sh debian "$debian" || fail "the tree in Debian's layout"
start_rejected "$debian/games/orbivane" "$work/debian-data" debian
expect_links "$work/debian-data/orbivane" "$debian/share/games/orbivane" "Debian's layout"

# Absolute directories for the command and the data, as a packager for
# /usr/games gives them, with the program under the prefix.
absolute="$work/absolute"
cmake -S . -B build -DCMAKE_INSTALL_BINDIR="$absolute/games" -DCMAKE_INSTALL_DATADIR="$absolute/share/games" \
  > /dev/null
cmake --install build --prefix "$work/absolute-prefix" > /dev/null
start_rejected "$absolute/games/orbivane" "$work/absolute-data" absolute
expect_links "$work/absolute-data/orbivane" "$absolute/share/games/orbivane" "absolute directories"
grep -qxF "Exec=$absolute/games/orbivane" "$work/absolute-prefix/share/applications/orbivane.desktop" ||
  fail "with absolute directories, the menu entry does not start $absolute/games/orbivane"

if ((failures > 0)); then
  echo "test-install: $failures failure(s); the game's log:"
  cat "$work/game.log"
  exit 1
fi
echo "test-install: installed, played from $player (score $score), started from the menu, moved, repaired," \
  "old folders set aside, and installed into ~/.local, in Debian's layout and in absolute directories: no failures"
