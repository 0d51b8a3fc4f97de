#!/usr/bin/env bash
# Makes build-windows/passgen-<version>-windows-x64.zip: the stripped,
# self-contained passgen.exe and a short text on where its settings live.
# Installs what the cross-build needs and builds Qt for Windows first, or
# reuses the cached one.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--installed" ]; then
    bash scripts/install-deps.sh --windows
fi
bash scripts/configure-windows.sh
cmake --build build-windows --parallel "$(nproc)" --target passgen
bash scripts/pack.sh build-windows build-windows
