#!/usr/bin/env bash
# Runs the frame benchmark and prints the README's performance table: each
# pose's whole frame and its passes in milliseconds (wall time around
# glFinish), the frame rate, the floor frame of its size, and whether the
# picture still matches the reference (made first if it is missing). Each
# pose runs with the scene at full size, at half the window's size ("50%")
# and at the scale the automatic mode settled at ("auto"); only full-size
# pictures have references. Fails when a picture differs. Run it on a quiet
# machine.
#
# usage: scripts/bench-table.sh [extra benchmark options, e.g. --benchmark_filter='^frame/1920x1080/']
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$@"
fi

cmake --build build --target orbivane_bench > /dev/null
[ -f build/frame-references/1920x1080_sky.png ] || bash scripts/make-frame-references.sh > /dev/null
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
    rows[++count] = part[2] "|" part[3] "|" (part[4] == "50" || part[4] == "auto" ? part[4] : "full")
    for (n = split("real_time fps scene geometry lighting ambient bright flare particles present gui differing psnr same_picture", names, " "); n > 0; --n)
      cell[count, names[n]] = value(names[n])
  }
  END {
    print "| size | pose | scene | floor | frame | fps | geometry | lighting | ambient | bloom | flare | particles | present | overlay | picture |"
    print "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    failed = 0
    for (r = 1; r <= count; ++r) {
      split(rows[r], key, "|")
      size = key[1]; sub(/x/, "×", size)
      scene = (key[3] == "auto" ? "auto " : "") sprintf("%d%%", cell[r, "scene"])
      if (cell[r, "same_picture"] + 0 != 1) failed = 1
      picture = key[3] != "full" ? "–" : sprintf("%s (%d px, %s dB)", cell[r, "same_picture"] + 0 == 1 ? "same" : "CHANGED",
        cell[r, "differing"], cell[r, "psnr"] == "inf" ? "∞" : sprintf("%.1f", cell[r, "psnr"]))
      printf "| %s | %s | %s | %.2f | %.1f | %.0f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %s |\n",
        size, key[2], scene, floor[key[1]], cell[r, "real_time"], cell[r, "fps"], cell[r, "geometry"], cell[r, "lighting"],
        cell[r, "ambient"], cell[r, "bright"], cell[r, "flare"], cell[r, "particles"], cell[r, "present"], cell[r, "gui"],
        picture
    }
    exit failed
  }' "$work/floor.csv" "$work/frame.csv"
