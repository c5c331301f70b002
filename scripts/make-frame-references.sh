#!/usr/bin/env bash
# Makes the reference pictures that the frame benchmark compares its pictures
# with: the game of an earlier revision (by default the last one before the
# frame was made faster) is built in a temporary folder with this tree's
# benchmark, and draws each pose at each size, the scene at full size.
#
# usage: scripts/make-frame-references.sh [revision=f0ce0d3] [output folder=build/frame-references]
set -euo pipefail
cd "$(dirname "$0")/.."

revision="${1:-f0ce0d3}"
out="$(realpath -m "${2:-build/frame-references}")"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$revision" "$out"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
git archive "$revision" | tar -x -C "$work"
rm -f "$work"/tools/bench/*.cpp "$work"/tools/bench/*.h
cp tools/bench/*.cpp tools/bench/*.h "$work/tools/bench/"

# The benchmark leaves out what the earlier revision does not have yet.
cmake -S "$work" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-DORBIVANE_FRAME_REFERENCE \
  > "$work/configure.log"
cmake --build "$work/build" --target orbivane_bench -j"$(nproc)" > "$work/build.log" ||
  { tail -n 30 "$work/build.log"; exit 1; }

mkdir -p "$out"
(cd "$work/build/game" &&
  ORBIVANE_FRAME_IMAGES="$out" ../tools/bench/orbivane_bench --benchmark_filter='^frame/[0-9x]+/[a-z]+/real_time$' \
    --benchmark_min_time=0.01 > /dev/null 2> "$work/bench.log") ||
  { tail -n 30 "$work/bench.log"; exit 1; }
echo "reference pictures of $(git rev-parse --short "$revision") in $out:"
ls "$out"
