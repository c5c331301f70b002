#!/usr/bin/env bash
# Counts the instructions of each pass of one frame under callgrind, with
# one rasteriser thread: unlike wall times, the counts stay the same however
# busy the machine is. Prints one markdown row per pose, in millions.
# The rasteriser compiles its shaders for SSE4.1 here: valgrind cannot run
# some of the AVX code it would otherwise generate.
#
# usage: scripts/callgrind-passes.sh [pose ...]   (default 640x320/start; e.g. 1280x720/rings,
#        1920x1080/sky/50 for the scene at half the window's size)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$@"
fi
command -v valgrind > /dev/null || { echo "callgrind needs valgrind (apt-get install valgrind)"; exit 1; }

cmake --build build --target orbivane_bench > /dev/null
[ "$#" -gt 0 ] || set -- 640x320/start
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passes="prepare geometry lighting ambient bright flare particles present gui"

echo "| pose | frame | $(echo "$passes" | sed 's/ / | /g') |"
echo "|---|---|$(for _ in $passes; do printf -- '---|'; done)"
for pose in "$@"; do
  rm -f "$work"/out*
  (cd build/game && LP_NUM_THREADS=0 GALLIUM_OVERRIDE_CPU_CAPS=sse4.1 valgrind --tool=callgrind --instr-atstart=no \
    --callgrind-out-file="$work/out" ../tools/bench/orbivane_bench \
    --benchmark_filter="^callgrind/$pose/iterations" > "$work/log" 2>&1) || { tail -n 20 "$work/log"; exit 1; }
  row=""
  frame=0
  for pass in $passes; do
    file=$(grep -l "^desc: Trigger: Client Request: $pass\$" "$work"/out* || true)
    [ -n "$file" ] || { echo "no count for $pass of $pose:"; tail -n 20 "$work/log"; exit 1; }
    count=$(awk '/^(summary|totals):/ { print $2; exit }' "$file")
    frame=$((frame + count))
    row="$row | $(awk -v c="$count" 'BEGIN { printf "%.1f", c / 1e6 }')"
  done
  echo "| $pose | $(awk -v c="$frame" 'BEGIN { printf "%.1f", c / 1e6 }')$row |"
done
