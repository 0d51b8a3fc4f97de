#!/usr/bin/env bash
# Builds Qt for Windows, or reuses the cached one (scripts/build-qt-windows.sh),
# and configures the cross-build of passgen in build-windows/ with it.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
qt=$(bash scripts/build-qt-windows.sh | tail -n 1)
echo "configure-windows.sh: Qt for Windows took $((SECONDS - started)) s" >&2
"$qt/bin/qt-cmake" -S . -B build-windows -G Ninja \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPASSGEN_WINDOWS=ON -DPASSGEN_TESTS=ON -DPASSGEN_BENCH=OFF \
    >/dev/null
