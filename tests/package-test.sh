# Sourced by the tests of the release packages: a temporary folder removed
# at the end, with the program started from it killed if it is still
# running (its process id in pid), fail, and unpack_package.

work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf -- "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# unpack_package cpack build name extension: makes the package with CPack
# and unpacks it into $work; sets folder to the unpacked folder.
unpack_package() {
    local cpack=$1 build=$2 name=$3 extension=$4
    "$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
    local package=$work/out/$name.$extension
    [ -f "$package" ] || fail "cpack made no $name.$extension: $(ls "$work/out")"
    (cd "$work" && cmake -E tar xf "$package")
    folder=$work/$name
}
