#!/usr/bin/env bash
# Sets up the machine, builds the game and starts it from its game folder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target orbivane

cd build/game
exec ./orbivane
