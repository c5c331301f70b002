#!/usr/bin/env bash
# Installs the built game into a temporary prefix, as `cmake --install` does
# for a player, checks the installed files, and plays the installed game for a
# few seconds from another folder with a fresh HOME: Escape must save the score
# in the player's folder (~/.local/share/orbivane) and nothing may be written
# under the prefix. Then the prefix is moved and the game started through a
# link, with XDG_DATA_HOME set and a bad setting there: the launcher must
# repair the player's links and hand back the game's own exit status and log.
# Last, an installation into ~/.local, whose game folder is the player's.
# Without a display it runs itself on a private Xvfb server.
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
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then
    kill -9 "$pid" 2> /dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT

failures=0
fail() {
  echo "test-install: FAIL: $1"
  failures=$((failures + 1))
}

prefix="$work/prefix"
cmake --install build --prefix "$prefix" > /dev/null
bash scripts/check-installed-tree.sh "$prefix" || fail "the installed tree"

snapshot() { (cd "$1" && find . -printf '%p %y %m %s %T@\n' | LC_ALL=C sort); }
installed="$(snapshot "$prefix")"
home="$work/home"
elsewhere="$work/elsewhere"
mkdir -p "$home" "$elsewhere"

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
for linked in shader res; do
  [ "$(readlink "$player/$linked")" = "$(realpath "$prefix")/share/orbivane/$linked" ] ||
    fail "$player/$linked does not link to the installed $linked/"
done
[ -d "$player/out" ] || fail "no out/ folder in $player"
[ -z "$(ls -A "$elsewhere")" ] || fail "the game wrote into the folder it was started from: $(ls -A "$elsewhere")"
[ "$(snapshot "$prefix")" = "$installed" ] || fail "something was written under the prefix"

# A moved installation, started through a link, for a player whose folder
# holds links to an old installation and a setting the game rejects.
moved="$work/moved"
mv "$prefix" "$moved"
ln -s "$moved/bin/orbivane" "$work/orbivane"
data="$work/data"
mkdir -p "$data/orbivane"
ln -s "$work/old/share/orbivane/shader" "$data/orbivane/shader"
printf 'Width=wide\n' > "$data/orbivane/Orbivane.ini"
(cd "$elsewhere" && exec timeout 60 env XDG_DATA_HOME="$data" HOME="$home" ALSOFT_DRIVERS=null "$work/orbivane" \
  < /dev/null > "$work/bad.log" 2> "$work/bad.err") && status=0 || status=$?
[ "$status" = 255 ] || fail "a bad setting ended the launched game with status $status, not the game's 255"
grep -q "invalid stoi argument" "$work/bad.log" || fail "the game's message for a bad setting did not come through"
for linked in shader res; do
  [ "$(readlink "$data/orbivane/$linked")" = "$(realpath "$moved")/share/orbivane/$linked" ] ||
    fail "$data/orbivane/$linked was not repaired to the moved installation"
done
[ "$(cat "$data/orbivane/Orbivane.ini")" = "Width=wide" ] || fail "the player's settings file changed"

# Installed with the prefix ~/.local, the game's folder is the player's own:
# it runs there as it is, without links and without a word from the launcher.
local_home="$work/local-home"
cmake --install build --prefix "$local_home/.local" > /dev/null
printf 'Width=wide\n' > "$local_home/.local/share/orbivane/Orbivane.ini"
(cd "$elsewhere" && exec timeout 60 env -u XDG_DATA_HOME HOME="$local_home" ALSOFT_DRIVERS=null \
  "$local_home/.local/bin/orbivane" < /dev/null > "$work/local.log" 2> "$work/local.err") && status=0 || status=$?
[ "$status" = 255 ] && grep -q "invalid stoi argument" "$work/local.log" ||
  fail "installed in ~/.local, the game did not run in its own folder (status $status)"
[ ! -L "$local_home/.local/share/orbivane/shader" ] && ! grep -q '^orbivane:' "$work/local.err" ||
  fail "installed in ~/.local, the launcher linked the game's folder to itself: $(cat "$work/local.err")"

if ((failures > 0)); then
  echo "test-install: $failures failure(s); the game's log:"
  cat "$work/game.log"
  exit 1
fi
echo "test-install: installed, played from $player (score $score), moved and repaired: no failures"
