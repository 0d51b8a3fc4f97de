#!/usr/bin/env bash
# Installs what is missing, builds passgen with its tests and runs every test:
# the normal build (window tests on Qt's offscreen platform), then every test
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# libFuzzer targets for about 30 s each, and last the Windows leg: the whole
# program cross-built for Windows with a static Qt and every test run under
# Wine (scripts/test-windows.sh), and a check that the packages made from
# these builds are the release's bytes (scripts/check-reproducible.sh, which
# builds the release once more). Ends with a table of how long each leg took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Wall-clock seconds and CPU seconds (user and system, of everything the leg
# ran) per leg; CPU time says more than the wall clock on a busy machine.
timings=()
hz=$(getconf CLK_TCK)
children_cpu() { # sets cpu to the CPU ticks of this shell's finished children
    local stat fields
    read -r stat <"/proc/$BASHPID/stat"
    read -r -a fields <<<"${stat##*) }"
    cpu=$((fields[13] + fields[14]))
}
leg() { # leg NAME COMMAND...: runs the command in a subshell and times it
    local name=$1 started=$SECONDS before status
    shift
    children_cpu
    before=$cpu
    set +e
    (set -e && "$@")
    status=$?
    set -e
    children_cpu
    timings+=("$(printf '%-22s %6d %6d' "$name" $((SECONDS - started)) \
        $(((cpu - before + hz / 2) / hz)))$([ "$status" -eq 0 ] || echo "  failed, status $status")")
    return "$status"
}
print_timings() {
    [ "${#timings[@]}" -gt 0 ] || return 0
    printf '\ntest.sh: time per leg, in seconds\n%-22s %6s %6s\n' leg wall cpu
    printf '%s\n' "${timings[@]}"
    children_cpu
    printf '%-22s %6d %6d\n' all "$SECONDS" $(((cpu + hz / 2) / hz))
}
trap print_timings EXIT

leg packages bash scripts/install-deps.sh --tests

export QT_QPA_PLATFORM=offscreen

linux() {
    cmake -S . -B build -DPASSGEN_TESTS=ON -DPASSGEN_BENCH=ON
    cmake --build build --parallel "$jobs"
    ctest --test-dir build --output-on-failure --parallel "$jobs"
}
leg linux linux

# The window tests too: a window deleted under its own handler shows only
# there. Qt itself is not instrumented. Unoptimized (Debug): the sanitizers
# find as much, it compiles in less than half the time, and the asserts in Qt's
# headers are on.
sanitize() {
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPASSGEN_SANITIZE=ON \
        -DPASSGEN_WINDOWS=ON -DPASSGEN_BENCH=OFF -DPASSGEN_TESTS=ON
    cmake --build build-sanitize --parallel "$jobs"
    ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"
}
leg sanitizers sanitize

fuzz() {
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DPASSGEN_FUZZ=ON -DPASSGEN_WINDOWS=OFF \
        -DPASSGEN_TESTS=OFF -DPASSGEN_BENCH=OFF
    cmake --build build-fuzz --parallel "$jobs"
    ctest --test-dir build-fuzz --output-on-failure --parallel "$jobs"
}
leg fuzz fuzz

# The Windows leg needs MinGW-w64 and Wine, which every Debian release has; a
# system that cannot install them skips the leg and says so.
if leg "windows packages" bash scripts/install-deps.sh --windows; then
    leg windows bash scripts/test-windows.sh --installed
    leg reproducible bash scripts/check-reproducible.sh --reuse
else
    echo "test.sh: MinGW-w64 or Wine could not be installed; the Windows leg was skipped" >&2
fi
