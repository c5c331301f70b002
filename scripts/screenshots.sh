#!/usr/bin/env bash
# Makes the README's pictures of the running game: the level introduction,
# the flying game with its overlay, and the help screen. Runs the built game
# on a private Xvfb server with keys sent through the X test extension.
#
# usage: scripts/screenshots.sh [output folder=docs]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

out="$(realpath -m "${1:-docs}")"
mkdir -p "$out"
cmake --build build --target orbivane orbivane_screenshot > /dev/null
shoot=build/tools/screenshot/orbivane_screenshot
title="KOLM 2015: Orbivane"

work="$(mktemp -d)"
trap 'kill "$game" 2> /dev/null || true; rm -rf "$work"' EXIT
ln -s "$PWD/build/game/res" "$work/res"
ln -s "$PWD/build/game/shader" "$work/shader"
printf 'Width=960\nHeight=480\nInvulnerable=1\nPlayerName=Ada\n' > "$work/Orbivane.ini"
printf 'Grace|14\nAlan|9\nEdsger|3\n' > "$work/highscores.txt"

executable="$PWD/build/game/orbivane"
(cd "$work" && exec "$executable") > "$work/console.txt" &
game=$!
window=""
for _ in $(seq 1 600); do
  window="$(xdotool search --name "^$title" 2> /dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "screenshots: the game window did not appear"; cat "$work/console.txt"; exit 1; }

key() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
xdotool windowfocus "$window" 2> /dev/null || true

# The window opens before the world and renderer are built: wait for the
# first drawn frame, the level introduction, which is more than a black
# picture (a black PNG of this size is a few hundred bytes).
for _ in $(seq 1 100); do
  "$shoot" "$out/intro.png" "$title"
  [ "$(stat -c %s "$out/intro.png")" -gt 4000 ] && break
  sleep 0.1
done
sleep 2
key w 0.15
sleep 1
key Tab 0.1
sleep 0.5
"$shoot" "$out/flying.png" "$title"
key Tab 0.1
sleep 0.3
key F1 0.1
sleep 0.5
"$shoot" "$out/help.png" "$title"
key Escape 0.1
for _ in $(seq 1 100); do
  kill -0 "$game" 2> /dev/null || break
  sleep 0.1
done
echo "screenshots: wrote intro.png, flying.png and help.png to $out"
