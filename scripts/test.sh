#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${1:-build}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
