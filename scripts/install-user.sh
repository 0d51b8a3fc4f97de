#!/usr/bin/env bash
# Installs passgen for the current user, without root: the program into
# ~/.local/lib/passgen/, where it keeps its settings files "simbols" and
# "excluds", its desktop entry and icons into ~/.local/share/ (or
# $XDG_DATA_HOME), so that it shows in the desktop's menu.
#
#   install-user.sh               install, or upgrade in place; the settings stay
#   install-user.sh --uninstall   remove what was installed; the settings stay
#   install-user.sh --uninstall --purge   remove the settings files as well
#
# Run from an unpacked release folder it installs that folder's program; run
# from the source tree it builds build/passgen first.
set -euo pipefail
shopt -s nullglob

lib=$HOME/.local/lib/passgen
data=${XDG_DATA_HOME:-$HOME/.local/share}
# Lists every file an install made, so an uninstall or upgrade removes those.
manifest=$lib/installed-files

usage() {
    echo "usage: $0 [--uninstall [--purge]]" >&2
    exit 2
}

uninstall=false purge=false
for arg in "$@"; do
    case $arg in
    --uninstall) uninstall=true ;;
    --purge) purge=true ;;
    *) usage ;;
    esac
done
if $purge && ! $uninstall; then
    usage
fi

# Removes the files of the manifest that are not among the arguments, and
# the folders that leaves empty below the data folder.
remove_installed_except() {
    [ -f "$manifest" ] || return 0
    local path keep dir
    while IFS= read -r path; do
        for keep in "$@"; do
            [ "$path" = "$keep" ] && continue 2
        done
        rm -f -- "$path"
        dir=$(dirname -- "$path")
        while [ "${dir#"$data"/}" != "$dir" ] && rmdir -- "$dir" 2>/dev/null; do
            dir=$(dirname -- "$dir")
        done
    done <"$manifest"
}

if $uninstall; then
    if [ ! -d "$lib" ]; then
        echo "passgen is not installed in $lib" >&2
        exit 0
    fi
    remove_installed_except
    rm -f -- "$manifest"
    if $purge; then
        rm -f -- "$lib/simbols" "$lib/excluds"
    fi
    if ! rmdir -- "$lib" 2>/dev/null; then
        echo "the settings files are kept in $lib"
    fi
    exit 0
fi

here=$(cd "$(dirname "$0")" && pwd)
if [ -x "$here/passgen" ] && [ -d "$here/share/applications" ]; then
    from=$here
else
    root=$(dirname "$here")
    if [ ! -f "$root/CMakeLists.txt" ]; then
        echo "$0: run the install-user.sh of a release folder or of the source tree" >&2
        exit 1
    fi
    cmake -S "$root" -B "$root/build" >/dev/null
    cmake --build "$root/build" --target passgen --parallel "$(nproc)"
    from=$(mktemp -d)
    trap 'rm -rf -- "$from"' EXIT
    cmake --install "$root/build" --prefix "$from" --strip >/dev/null
fi

# Each file is copied beside its target and then renamed over it, so a running
# program or a desktop reading the entry never sees half a file.
put() { # source target mode
    mkdir -p -- "$(dirname "$2")"
    cp -- "$1" "$2.new"
    chmod "$3" -- "$2.new"
    mv -f -- "$2.new" "$2"
}

# The desktop entry's Exec holds the program's path quoted, as the Desktop
# Entry rules want: \ " ` $ escaped inside the quotes, then every backslash
# doubled again for the string value, and % doubled.
exec_line() {
    local path=$1
    path=${path//\\/\\\\}
    path=${path//\"/\\\"}
    path=${path//\`/\\\`}
    path=${path//\$/\\\$}
    path=${path//\\/\\\\}
    path=${path//%/%%}
    printf 'Exec="%s"\n' "$path"
}

installed=()
put "$from/passgen" "$lib/passgen" 755
put "$from/install-user.sh" "$lib/install-user.sh" 755
installed+=("$lib/passgen" "$lib/install-user.sh")

for entry in "$from"/share/applications/*.desktop; do
    target=$data/applications/$(basename "$entry")
    mkdir -p -- "$data/applications"
    while IFS= read -r line; do
        case $line in
        Exec=*) exec_line "$lib/passgen" ;;
        *) printf '%s\n' "$line" ;;
        esac
    done <"$entry" >"$target.new"
    chmod 644 -- "$target.new"
    mv -f -- "$target.new" "$target"
    installed+=("$target")
done

for icon in "$from"/share/icons/hicolor/*/apps/*; do
    target=$data/icons/hicolor/${icon#"$from/share/icons/hicolor/"}
    put "$icon" "$target" 644
    installed+=("$target")
done
# Desktops look at the theme folder's time to notice new icons.
touch -- "$data/icons/hicolor"

# What an older version installed and this one does not.
remove_installed_except "${installed[@]}"
printf '%s\n' "${installed[@]}" >"$manifest"

echo "passgen is installed in $lib; its settings files are kept there"
