#!/usr/bin/env bash
# Checks that every way the README gives to package the last commit yields
# the release's bytes. One build makes the packages as the README tells
# users to (build/ packed by scripts/pack.sh, scripts/package-windows.sh);
# the other, in a fresh clone in another folder, under another umask and
# with every file's time moved years back, runs scripts/package-release.sh.
# The Linux passgen, passgen.exe, the tarball and the zip of the two must be
# the same bytes, and no folder of the build machine (the clones, the build
# folders, the Qt cache, the home) may be named inside the programs.
#
#   bash scripts/check-reproducible.sh          the first build in a fresh clone too
#   bash scripts/check-reproducible.sh --reuse  the first build is this working
#       tree's build/ and build-windows/, as the test command left them; a
#       tree with changes to the last commit gets a fresh clone instead
#
# Uses the cached Qt for Windows; needs what scripts/install-deps.sh --tests
# and --windows install.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
cache=${PASSGEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/passgen}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "check-reproducible.sh: $*" >&2
    exit 1
}
quietly() { # quietly LOG COMMAND...: shows the log's end only if the command fails
    local log=$1
    shift
    "$@" >"$log" 2>&1 || {
        tail -n 40 "$log" >&2
        fail "$* failed"
    }
}

first=$work/first
if [ "${1:-}" = "--reuse" ] && [ -f build/CMakeCache.txt ] &&
    [ -z "$(git status --porcelain --untracked-files=no)" ]; then
    first=$top
else
    [ "${1:-}" != "--reuse" ] || echo "check-reproducible.sh: no build/ or a changed tree: building a clone" >&2
    git clone -q --no-hardlinks "$top" "$first"
    quietly "$work/first-configure.log" cmake -S "$first" -B "$first/build" \
        -DPASSGEN_TESTS=OFF -DPASSGEN_BENCH=OFF
fi
quietly "$work/first-build.log" cmake --build "$first/build" --parallel "$(nproc)" --target passgen
tarball=$(bash "$first/scripts/pack.sh" "$first/build" "$first/build")
quietly "$work/first-windows.log" bash "$first/scripts/package-windows.sh" --installed
zip=$(grep '\.zip$' "$work/first-windows.log" | tail -n 1)

# Another folder, another umask and other file times than the first build's.
second=$work/second-clone-in-a-longer-folder
git clone -q --no-hardlinks "$top" "$second"
find "$second" -path "$second/.git" -prune -o -exec touch -h -d 2001-02-03T04:05:06 {} +
umask_second=077
[ "$(umask)" != 0077 ] || umask_second=022
(umask "$umask_second" && quietly "$work/second.log" bash "$second/scripts/package-release.sh" --installed)

pairs=("$first/build/passgen" "$second/build-release/passgen"
    "$first/build-windows/passgen.exe" "$second/build-windows/passgen.exe"
    "$tarball" "$second/dist/${tarball##*/}"
    "$zip" "$second/dist/${zip##*/}")
[ "$(find "$second/dist" -name 'passgen-*' | wc -l)" -eq 2 ] ||
    fail "expected a tarball and a zip in dist/, found: $(ls "$second/dist")"
for ((i = 0; i < ${#pairs[@]}; i += 2)); do
    made=${pairs[i]} release=${pairs[i + 1]}
    [ -f "$made" ] || fail "the first build made no $made"
    [ -f "$release" ] || fail "the release build made no $release"
    cmp -s "$made" "$release" ||
        fail "${made#"$first"/} differs from the release's: $(cmp "$made" "$release" || true)"
done

# The programs as they are shipped: the stripped ones inside the packages.
unpacked=$work/unpacked
mkdir "$unpacked"
tar -xzf "$tarball" -C "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
for program in "$unpacked"/*/passgen "$unpacked"/*/passgen.exe "$first/build/passgen"; do
    for path in "$first" "$second" "$cache" "$HOME" "$top"; do
        if grep -q -a -F -- "$path" "$program"; then
            fail "${program#"$work"/} names the build machine's folder $path"
        fi
    done
done

echo "check-reproducible.sh: both builds gave the same bytes:"
(cd "$second" && sha256sum build-release/passgen build-windows/passgen.exe dist/passgen-*)
