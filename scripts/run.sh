#!/usr/bin/env bash
# Installs what is missing, builds passgen into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DPASSGEN_TESTS=OFF -DPASSGEN_BENCH=OFF
cmake --build build --parallel "$(nproc)"
exec build/passgen
