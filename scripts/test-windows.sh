#!/usr/bin/env bash
# Cross-builds the core and its tests for 64-bit Windows with MinGW-w64 and
# runs them under Wine, in a Wine prefix made for this run and removed after
# it, with the ANSI code page set to 1251. Installs MinGW-w64 and Wine first
# (scripts/install-deps.sh --windows) unless called with --installed. No
# display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

if [ "${1:-}" != "--installed" ]; then
    bash scripts/install-deps.sh --windows
fi

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DPASSGEN_WINDOWS=OFF -DPASSGEN_BENCH=OFF
cmake --build build-windows --parallel "$jobs"

WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
wine=$(command -v wine64 || command -v wine)
# Wine takes the ANSI code page from the locale's language: Russian gives 1251.
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
"$wine" wineboot --init >/dev/null 2>&1
wineserver -w
# Drive P: stands for a program folder at the root of a drive.
mkdir -p "$WINEPREFIX/drive_p"
ln -s ../drive_p "$WINEPREFIX/dosdevices/p:"
# One server for all test programs, so each starts quickly. Wine's own
# services start with the first program and stay as long as the server: start
# them here, with their output going nowhere, or they would keep the output
# pipe of the first test open and CTest would wait for it for ever.
wineserver -p
"$wine" cmd /c exit >/dev/null 2>&1 </dev/null
ctest --test-dir build-windows --output-on-failure --timeout 300
