#!/usr/bin/env bash
# Shows what the tests never run: builds passgen with GCC's coverage counters
# into build-coverage/, runs the Linux tests there (the window tests
# offscreen, the X11 and real-program tests on displays of their own) and
# prints per source file the share of its lines and branches that ran. The
# real program's runs (the quit, screen-reader and tarball tests) count too,
# main.cpp among them. Line by line: build-coverage/coverage/index.html.
# A tool for developers, not a leg of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh --coverage

export QT_QPA_PLATFORM=offscreen
cmake -S . -B build-coverage -DPASSGEN_TESTS=ON -DPASSGEN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
cmake --build build-coverage --parallel "$jobs"
# The counters add up over runs: start from none.
find build-coverage -name '*.gcda' -delete
# A failing test still counts what it ran; the table comes all the same.
ctest --test-dir build-coverage --parallel "$jobs" --output-on-failure ||
    echo "coverage.sh: some tests failed; the figures count what ran" >&2

mkdir -p build-coverage/coverage
gcovr --root . --object-directory build-coverage -j "$jobs" \
    --filter 'generation/' --filter 'storage/' --filter 'windows/' --filter 'main\.cpp' \
    --exclude-unreachable-branches --exclude-throw-branches \
    --html-details build-coverage/coverage/index.html \
    --json-summary build-coverage/coverage/summary.json
python3 - build-coverage/coverage/summary.json <<'PYTHON'
import json, sys
summary = json.load(open(sys.argv[1]))
def row(name, lines, covered, branches, taken):
    share = lambda part, whole: f"{100 * part / whole:5.1f}%" if whole else "    -"
    print(f"{name:<40} {share(covered, lines)} of {lines:4} lines  "
          f"{share(taken, branches)} of {branches:4} branches")
for f in sorted(summary["files"], key=lambda f: f["filename"]):
    row(f["filename"], f["line_total"], f["line_covered"], f["branch_total"], f["branch_covered"])
row("all", summary["line_total"], summary["line_covered"],
    summary["branch_total"], summary["branch_covered"])
PYTHON
