#!/usr/bin/env bash
# Installs what is missing, builds passgen with its tests and runs every test:
# the normal build (window tests on Qt's offscreen platform), then every test
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# libFuzzer targets for about 30 s each, and last the Windows leg: the whole
# program cross-built for Windows with a static Qt and every test run under
# Wine (scripts/test-windows.sh), and a check that two release builds of the
# last commit give the same bytes (scripts/check-reproducible.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh --tests

export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DPASSGEN_TESTS=ON -DPASSGEN_BENCH=ON
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

# The window tests too: a window deleted under its own handler shows only
# there. Qt itself is not instrumented.
cmake -S . -B build-sanitize -DPASSGEN_SANITIZE=ON -DPASSGEN_WINDOWS=ON -DPASSGEN_BENCH=OFF \
    -DPASSGEN_TESTS=ON
cmake --build build-sanitize --parallel "$jobs"
ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DPASSGEN_FUZZ=ON -DPASSGEN_WINDOWS=OFF \
    -DPASSGEN_TESTS=OFF -DPASSGEN_BENCH=OFF
cmake --build build-fuzz --parallel "$jobs"
ctest --test-dir build-fuzz --output-on-failure --parallel "$jobs"

# The Windows leg needs MinGW-w64 and Wine, which every Debian release has; a
# system that cannot install them skips the leg and says so.
if bash scripts/install-deps.sh --windows; then
    bash scripts/test-windows.sh --installed
    bash scripts/check-reproducible.sh
else
    echo "test.sh: MinGW-w64 or Wine could not be installed; the Windows leg was skipped" >&2
fi
