# Sourced by the tests of the release packages: a temporary folder removed
# at the end, with the program started from it killed if it is still
# running (its process id in pid), fail, unpack_package, and wait_until
# (scripts/wait.sh).

# shellcheck source=scripts/wait.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wait.sh"

work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf -- "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# unpack_package build name extension: makes the release package as
# scripts/pack.sh does and unpacks it into $work; sets folder to the
# unpacked folder.
unpack_package() {
    local build=$1 name=$2 extension=$3
    bash "$(dirname "${BASH_SOURCE[0]}")/../scripts/pack.sh" "$build" "$work/out" >/dev/null
    local package=$work/out/$name.$extension
    [ -f "$package" ] || fail "pack.sh made no $name.$extension: $(ls "$work/out")"
    (cd "$work" && cmake -E tar xf "$package")
    folder=$work/$name
}
