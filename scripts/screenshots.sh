#!/usr/bin/env bash
# Makes the README's pictures of the running game: the level introduction,
# the flying game with its overlay and the help screen in the default 640x320
# window, then the help and the flying game after the window was dragged to
# 1280x720. Runs the built game on a private Xvfb server with keys sent
# through the X test extension.
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
shooter=build/tools/screenshot/orbivane_screenshot
title="KOLM 2015: Orbivane"

work="$(mktemp -d)"
trap 'kill "$game" 2> /dev/null || true; rm -rf "$work"' EXIT
ln -s "$PWD/build/game/res" "$work/res"
ln -s "$PWD/build/game/shader" "$work/shader"
# The pictures show the scene at full resolution, however busy the machine.
printf 'Invulnerable=1\nPlayerName=Ada\nRenderScale=1\n' > "$work/Orbivane.ini"
printf 'Grace|14\nAlan|9\nEdsger|3\n' > "$work/highscores.txt"

executable="$PWD/build/game/orbivane"
(cd "$work" && exec "$executable") > "$work/console.txt" 2>&1 &
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
# Prints the lit and the white pixel counts of a fresh screenshot.
shoot() { "$shooter" "$1" "$title"; }
white() { shoot "$1" | cut -d' ' -f2; }

# Flips an overlay switch (key, picture, "show" or "hide") and waits until the
# amount of white text shows it. Each press flips the switch once; a frame
# on a software renderer can take a while to show it, so the press is
# repeated until the picture changes.
toggle() {
  local before now
  before="$(white "$work/before.png")"
  for _ in $(seq 1 10); do
    key "$1" 0.2
    sleep 0.8
    now="$(white "$2")"
    if [ "$3" = show ] && [ "$now" -gt $((before + 500)) ]; then return 0; fi
    if [ "$3" = hide ] && [ "$now" -lt $((before - 500)) ]; then return 0; fi
  done
  echo "screenshots: $1 did not change the picture"
  return 1
}

# The window opens before the world and renderer are built: wait for the
# first drawn frame, the level introduction.
for _ in $(seq 1 200); do
  [ "$(shoot "$out/intro.png" | cut -d' ' -f1)" -gt 1000 ] && break
  sleep 0.05
done
sleep 2
key w 0.15
sleep 1
toggle Tab "$out/flying.png" show
toggle Tab "$work/table-hidden.png" hide
toggle F1 "$out/help.png" show

# The player drags the window larger; the game follows with the help still on.
xdotool windowsize "$window" 1280 720
for _ in $(seq 1 200); do
  [ "$(shoot "$out/help-large.png" | cut -d' ' -f1)" -gt $((1280 * 720 / 2)) ] && break
  sleep 0.1
done
sleep 1
shoot "$out/help-large.png" > /dev/null
toggle F1 "$work/help-hidden.png" hide
toggle Tab "$out/flying-large.png" show
key Escape 0.1
for _ in $(seq 1 100); do
  kill -0 "$game" 2> /dev/null || break
  sleep 0.1
done
echo "screenshots: wrote intro.png, flying.png, help.png, help-large.png and flying-large.png to $out"
