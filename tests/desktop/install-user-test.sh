#!/usr/bin/env bash
# scripts/install-user.sh, as shipped in the portable folder, installs into a
# HOME of its own (with a space in its path), upgrades in place keeping the
# settings files, and uninstalls down to them.
# Arguments: cmake, the build folder, the application id, desktop-file-validate.
set -euo pipefail
cmake=$1 build=$2 id=$3 validate=$4

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
"$cmake" --install "$build" --prefix "$work/portable" >/dev/null
export HOME="$work/home dir"
unset XDG_DATA_HOME
mkdir -p "$HOME"
lib=$HOME/.local/lib/passgen
share=$HOME/.local/share

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
installed_files() {
    (cd "$HOME" && find . \( -type f -o -type l \) | sort)
}

"$work/portable/install-user.sh" >/dev/null
expected=$(printf '%s\n' ./.local/lib/passgen/{installed-files,install-user.sh,passgen} \
    ./.local/share/applications/"$id".desktop \
    ./.local/share/icons/hicolor/{16x16,256x256,32x32,48x48}/apps/"$id".png | sort)
[ "$(installed_files)" = "$expected" ] || fail "installed files: $(installed_files)"
[ -x "$lib/passgen" ] || fail "the program is not executable"
cmp -s "$work/portable/passgen" "$lib/passgen" || fail "the program differs from the portable one"
grep -qxF "Exec=\"$lib/passgen\"" "$share/applications/$id.desktop" ||
    fail "Exec does not name the installed program: $(grep Exec= "$share/applications/$id.desktop")"
"$validate" "$share/applications/$id.desktop" || fail "the installed desktop entry is not valid"

# An upgrade over settings the program wrote, and over a file an older
# version installed and this one no longer does.
printf 'abc\r\n' >"$lib/simbols"
printf 'b\r\n' >"$lib/excluds"
touch "$share/applications/old.desktop"
echo "$share/applications/old.desktop" >>"$lib/installed-files"
"$work/portable/install-user.sh" >/dev/null
[ "$(installed_files)" = "$(printf '%s\n' "$expected" ./.local/lib/passgen/{simbols,excluds} | sort)" ] ||
    fail "after the upgrade: $(installed_files)"
[ "$(cat "$lib/simbols")" = $'abc\r' ] && [ "$(cat "$lib/excluds")" = $'b\r' ] ||
    fail "the upgrade changed the settings files"

"$lib/install-user.sh" --uninstall >/dev/null
[ "$(installed_files)" = "$(printf '%s\n' ./.local/lib/passgen/{excluds,simbols})" ] ||
    fail "after the uninstall: $(installed_files)"
[ -z "$(find "$share" -mindepth 1)" ] || fail "left in share: $(find "$share" -mindepth 1)"

"$work/portable/install-user.sh" >/dev/null
"$lib/install-user.sh" --uninstall --purge >/dev/null
[ -z "$(find "$HOME" -mindepth 1 -not -type d)" ] && [ ! -e "$lib" ] ||
    fail "after the purge: $(find "$HOME" -mindepth 1)"
echo "install-user.sh: install, upgrade, uninstall and purge passed"
