#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite.
# Without a display the suite runs on a private Xvfb server.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

cd build
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure
fi
exec ctest --output-on-failure
