#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each one from its
# committed seed corpus, either for a fixed time (seconds, default 20) or,
# with --runs N, for N inputs each. New interesting inputs go to the build
# folder, never into the committed corpus; a failing input is saved there too.
set -euo pipefail
cd "$(dirname "$0")/../.."

build="$PWD/${ORBIVANE_FUZZ_BUILD_DIR:-build-fuzz}"
limit=(-max_total_time="${1:-20}")
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2")
fi

bash scripts/setup.sh
# The compiler is chosen once, when the build folder is made.
compiler=()
[ -f "$build/CMakeCache.txt" ] || compiler=(-DCMAKE_CXX_COMPILER=clang++-14)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${compiler[@]}" \
  -DORBIVANE_BUILD_TESTS=OFF -DORBIVANE_BUILD_FUZZERS=ON > /dev/null
harnesses=(Settings HighScore Font Sound)
cmake --build "$build" -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}"

failed=0
for name in "${harnesses[@]}"; do
  corpus="$PWD/tools/fuzz/corpus/${name,,}"
  work="$build/fuzz-work/${name,,}"
  log="$build/fuzz-${name,,}.log"
  mkdir -p "$work"
  echo "== fuzz_$name (${limit[*]})"
  if "$build/tools/fuzz/fuzz_$name" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-failure-${name,,}-" "$work" "$corpus" > "$log" 2>&1; then
    grep -E '^Done|stat::number_of_executed_units' "$log" || true
  else
    failed=1
    tail -n 40 "$log"
  fi
done
exit "$failed"
