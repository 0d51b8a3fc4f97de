#!/usr/bin/env bash
# Makes the release packages of the checked-out commit in dist/: the Linux
# tarball (built in build-release/), the Windows zip (built in
# build-windows/ with the cached Qt for Windows, scripts/build-qt-windows.sh)
# and SHA256SUMS for both. Anyone who runs it on the same commit gets the
# same bytes, as from scripts/package-windows.sh and scripts/pack.sh: every
# time stamp inside is the last commit's, and no path of the machine goes in
# (scripts/check-reproducible.sh checks both). Installs
# what is missing first, unless called with --installed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

if [ "${1:-}" != "--installed" ]; then
    bash scripts/install-deps.sh
    bash scripts/install-deps.sh --windows
fi

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPASSGEN_TESTS=OFF \
    -DPASSGEN_BENCH=OFF >/dev/null
cmake --build build-release --parallel "$jobs" --target passgen

bash scripts/configure-windows.sh
cmake --build build-windows --parallel "$jobs" --target passgen

rm -rf dist
bash scripts/pack.sh build-release dist >/dev/null
bash scripts/pack.sh build-windows dist >/dev/null
(cd dist && sha256sum -- * >SHA256SUMS)
cat dist/SHA256SUMS
