#!/usr/bin/env bash
# Runs the frame benchmark and prints the README's performance table: each
# pose's whole frame and its passes in milliseconds (wall time around
# glFinish), the frame rate, the floor frame of its size, and whether the
# picture still matches the reference (made first if it is missing).
# Fails when a picture differs. Run it on a quiet machine.
#
# usage: scripts/bench-table.sh [extra benchmark options, e.g. --benchmark_min_time=2]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

cmake --build build --target orbivane_bench > /dev/null
[ -d build/frame-references ] || bash scripts/make-frame-references.sh > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# One run each: the CSV format wants the same counters in every row.
for kind in floor frame; do
  (cd build/game && ../tools/bench/orbivane_bench --benchmark_filter="^$kind/" --benchmark_format=csv "$@" \
    > "$work/$kind.csv" 2> "$work/$kind.log") || { tail -n 20 "$work/$kind.log"; exit 1; }
done

awk -F, '
  function value(name) { return $(column[name]) }
  /^name,/ { delete column; for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); column[$i] = i }; next }
  /^"floor\// { split($1, part, "/"); floor[part[2]] = value("real_time"); next }
  /^"frame\// {
    split($1, part, "/")
    rows[++count] = part[2] "|" part[3]
    for (n = split("real_time fps geometry lighting ambient bright flare particles gui differing psnr same_picture", names, " "); n > 0; --n)
      cell[count, names[n]] = value(names[n])
  }
  END {
    print "| size | pose | floor | frame | fps | geometry | lighting | ambient | bloom | flare | particles | overlay | picture |"
    print "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    failed = 0
    for (r = 1; r <= count; ++r) {
      split(rows[r], key, "|")
      size = key[1]; sub(/x/, "×", size)
      if (cell[r, "same_picture"] + 0 != 1) failed = 1
      picture = cell[r, "same_picture"] + 0 == 1 ? "same" : "CHANGED"
      printf "| %s | %s | %.2f | %.1f | %.0f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %s (%d px, %s dB) |\n",
        size, key[2], floor[key[1]], cell[r, "real_time"], cell[r, "fps"], cell[r, "geometry"], cell[r, "lighting"],
        cell[r, "ambient"], cell[r, "bright"], cell[r, "flare"], cell[r, "particles"], cell[r, "gui"], picture,
        cell[r, "differing"], cell[r, "psnr"] == "inf" ? "∞" : sprintf("%.1f", cell[r, "psnr"])
    }
    exit failed
  }' "$work/floor.csv" "$work/frame.csv"
