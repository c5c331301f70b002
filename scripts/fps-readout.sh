#!/usr/bin/env bash
# Plays the built game as a player would see its frame rate: starts it in a
# temporary game folder at a window size (or in full screen), turns the F2
# read-out on and prints the read-out from the window title once a second,
# from the first second of flight to the last. Run it on a quiet machine.
#
# usage: scripts/fps-readout.sh [size=640x320|full] [seconds=10] [settings line ...]
# e.g.   scripts/fps-readout.sh full 10             (default settings, 1920x1080 screen)
#        scripts/fps-readout.sh 1280x720 10 RenderScale=1
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/quit-game.sh

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi
command -v xdotool > /dev/null || { echo "fps-readout: xdotool is missing (scripts/setup.sh installs it)"; exit 2; }

size="${1:-640x320}"
seconds="${2:-10}"
shift $(($# < 2 ? $# : 2))
cmake --build build --target orbivane > /dev/null
game_dir="$PWD/build/game"
work="$(mktemp -d)"
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2> /dev/null || true; rm -rf "$work"' EXIT
ln -s "$game_dir/res" "$work/res"
ln -s "$game_dir/shader" "$work/shader"
if [ "$size" = full ]; then
  echo "FullScreen=1" > "$work/Orbivane.ini"
else
  printf 'Width=%s\nHeight=%s\n' "${size%x*}" "${size#*x}" > "$work/Orbivane.ini"
fi
for line in "$@"; do
  echo "$line" >> "$work/Orbivane.ini"
done

(cd "$work" && ALSOFT_DRIVERS=null exec "$game_dir/orbivane" < /dev/null > "$work/console.txt" 2>&1) &
pid=$!
window=""
for _ in $(seq 1 300); do
  window=$(xdotool search --name "KOLM 2015: Orbivane" 2> /dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "fps-readout: no window"; cat "$work/console.txt"; exit 1; }
xdotool windowfocus --sync "$window" 2> /dev/null || true
title() { xdotool getwindowname "$window" 2> /dev/null || true; }
# Past the level's introduction, then the read-out on: a press must span a frame.
sleep 1.5
for _ in $(seq 1 10); do
  case "$(title)" in *FPS*|*Calculating*) break ;; esac
  xdotool keydown F2
  sleep 0.15
  xdotool keyup F2
  sleep 0.5
done
for second in $(seq 1 "$seconds"); do
  sleep 1
  echo "$second s: $(title | sed -n 's/.*\(FPS: .*\)/\1/p')"
done
quit_with_escape "$pid" || { echo "fps-readout: the game did not quit"; exit 1; }
pid=""
grep -v "^Compiling shader\|^Linking program\|^Radius:" "$work/console.txt" | tail -n 5 || true
echo "scene scale kept: $(cat "$work/renderscale.txt" 2> /dev/null || echo none)"
