#!/usr/bin/env bash
# Builds the release of the last commit twice, from two clones in different
# folders, minutes apart and under different umasks, and checks that the
# Linux passgen, its tarball, passgen.exe and the zip come out the same bytes
# both times, and that no folder of the build machine (the clone, the build
# folder, the Qt cache, the home) is named inside the programs. Uses the
# cached Qt for Windows; needs what scripts/install-deps.sh --tests and
# --windows install.
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

first=$work/first
second=$work/second-clone-in-a-longer-folder
built=()
for run in "$first:022" "$second:077"; do
    folder=${run%:*}
    git clone -q --no-hardlinks "$top" "$folder"
    (umask "${run#*:}" && bash "$folder/scripts/package-release.sh" --installed >"$folder.log" 2>&1) ||
        {
            tail -n 40 "$folder.log" >&2
            fail "the release build in $folder failed"
        }
    built+=("$folder")
done

artefacts=(build-release/passgen build-windows/passgen.exe dist/SHA256SUMS)
for package in "$first"/dist/passgen-*; do
    artefacts+=("dist/${package##*/}")
done
[ "${#artefacts[@]}" -eq 5 ] || fail "expected a tarball and a zip in dist/, found: ${artefacts[*]:3}"
for artefact in "${artefacts[@]}"; do
    [ -f "$second/$artefact" ] || fail "the second build made no $artefact"
    if ! cmp -s "$first/$artefact" "$second/$artefact"; then
        fail "$artefact differs between the two builds: $(cmp "$first/$artefact" "$second/$artefact" || true)"
    fi
done

# The programs as they are shipped: the stripped ones inside the packages.
unpacked=$work/unpacked
mkdir "$unpacked"
tar -xzf "$first"/dist/passgen-*-linux-*.tar.gz -C "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$first"/dist/passgen-*-windows-x64.zip)
for program in "$unpacked"/*/passgen "$unpacked"/*/passgen.exe "$first/build-release/passgen"; do
    for path in "$first" "$cache" "$HOME" "$top"; do
        if grep -q -a -F -- "$path" "$program"; then
            fail "${program#"$work"/} names the build machine's folder $path"
        fi
    done
done

echo "check-reproducible.sh: both builds gave the same bytes:"
cat "$first/dist/SHA256SUMS"
(cd "$first" && sha256sum build-release/passgen build-windows/passgen.exe)
