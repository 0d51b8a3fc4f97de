#!/usr/bin/env bash
# The Windows leg: builds a static Qt for MinGW-w64 (or reuses the cached
# one, scripts/build-qt-windows.sh), cross-builds the whole of passgen with
# it, passgen.exe included, and runs every test under Wine, the window tests
# on Qt's windows platform, in a throwaway Wine prefix with the ANSI code page
# 1251 on an Xvfb display of its own. Installs MinGW-w64, Wine and Xvfb first
# (scripts/install-deps.sh --windows) unless called with --installed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

if [ "${1:-}" != "--installed" ]; then
    bash scripts/install-deps.sh --windows
fi

step() { echo "test-windows.sh: $1 took $((SECONDS - $2)) s" >&2; }

# The Qt script finds itself, and so its cache, also when started by a
# relative path from another folder.
if [ "$(cd scripts && bash ../scripts/build-qt-windows.sh --print-prefix)" != \
    "$(bash scripts/build-qt-windows.sh --print-prefix)" ]; then
    echo "test-windows.sh: build-qt-windows.sh started from another folder names another Qt" >&2
    exit 1
fi

started=$SECONDS
bash scripts/configure-windows.sh
cmake --build build-windows --parallel "$jobs"
step "Qt and the cross-build" "$started"

# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
trap stop_wine_session EXIT
started=$SECONDS
start_wine_session
unset QT_QPA_PLATFORM
ctest --test-dir build-windows --output-on-failure --timeout 300
step "the tests under Wine" "$started"
