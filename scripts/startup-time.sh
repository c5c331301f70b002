#!/usr/bin/env bash
# Measures the start-up: from starting the built game (default settings, in
# a temporary game folder) to its first frame on screen, the level
# introduction, seen in the window through the X server (one process that
# looks every 3 ms). Prints each run and the median in milliseconds.
#
# usage: scripts/startup-time.sh [runs=5] [game folder=build/game]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

runs="${1:-5}"
game_dir="$(realpath "${2:-build/game}")"
cmake --build build --target orbivane orbivane_screenshot > /dev/null
shooter="$PWD/build/tools/screenshot/orbivane_screenshot"
executable="$game_dir/orbivane"
work="$(mktemp -d)"
game=""
trap '[ -z "$game" ] || kill "$game" 2> /dev/null || true; rm -rf "$work"' EXIT
ln -s "$game_dir/res" "$work/res"
ln -s "$game_dir/shader" "$work/shader"

times=()
for run in $(seq 1 "$runs"); do
  started=$(date +%s%N)
  (cd "$work" && exec "$executable") > "$work/console.txt" 2>&1 &
  game=$!
  shown=""
  if "$shooter" --wait "$work/shot.png" "KOLM 2015: Orbivane" > /dev/null 2>&1; then
    shown=$(date +%s%N)
  fi
  kill "$game" 2> /dev/null || true
  wait "$game" 2> /dev/null || true
  game=""
  [ -n "$shown" ] || { echo "run $run: no frame within the time allowed"; cat "$work/console.txt"; exit 1; }
  times+=($(((shown - started) / 1000000)))
  echo "run $run: first frame after ${times[-1]} ms"
done
echo "median: $(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p") ms"
