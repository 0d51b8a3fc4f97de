#!/usr/bin/env bash
# The Windows zip holds the stripped passgen.exe, with its icon and version,
# and the text on its settings; its program, started under Wine from a fresh
# folder and closed as a user closes it, writes both settings files beside
# itself, in the ANSI code page with CR LF. Run by CTest inside
# scripts/test-windows.sh's Wine session.
# Arguments: the build folder, the package's file name without .zip, wine.
set -euo pipefail
build=$1 name=$2 wine=$3

# shellcheck source=tests/package-test.sh
source "$(dirname "$0")/../package-test.sh"
unpack_package "$build" "$name" zip
[ -f "$folder/passgen.exe" ] || fail "the zip holds no passgen.exe"
grep -q "simbols" "$folder/README.txt" || fail "the zip's README.txt does not say where the settings live"
if x86_64-w64-mingw32-objdump -h "$folder/passgen.exe" | grep -q '\.debug_'; then
    fail "passgen.exe is not stripped"
fi
# Explorer's icon is the frame's, four images; the version is the project's.
resources=$(x86_64-w64-mingw32-windres -i "$folder/passgen.exe" -O rc)
grep -q 'Has 4 elements' <<<"$resources" || fail "passgen.exe lacks the frame's four-image icon"
version=${name#passgen-}
version=${version%-windows-x64}
grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
    fail "passgen.exe does not carry the version $version"

# The manifest, resource 1 of RT_MANIFEST, as the loader reads it.
manifest=$(sed -n '/^1 24 /,/^END/p' <<<"$resources" | sed -n 's/^  "\(.*\)\\n"$/\1/p' | sed 's/""/"/g')
[ -n "$manifest" ] || fail "passgen.exe carries no manifest"
# Windows refuses to start a program whose manifest is not well-formed.
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.buffer.read())' \
    <<<"$manifest" || fail "the manifest is not well-formed XML"
for declared in 'level="asInvoker"' 'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"' \
    '>PerMonitorV2</dpiAwareness>' '>true</longPathAware>'; do
    grep -qF "$declared" <<<"$manifest" || fail "the manifest does not declare $declared"
done
if grep -q activeCodePage <<<"$manifest"; then
    fail "the manifest sets a code page; the settings files use the system's"
fi

# "ab" and Ж in Windows-1251, to be read and written back unchanged.
printf 'ab\xC6\r\n' >"$folder/simbols"
"$wine" "$folder/passgen.exe" >/dev/null 2>&1 &
pid=$!
# taskkill without /f posts WM_CLOSE, as the close box does; until the frame
# is up there is nothing to close, so it is asked again.
for _ in $(seq 60); do
    sleep 1
    kill -0 "$pid" 2>/dev/null || break
    "$wine" taskkill /im passgen.exe >/dev/null 2>&1 || true
done
kill -0 "$pid" 2>/dev/null && fail "passgen.exe did not close within 60 s"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "passgen.exe ended with status $status"
[ "$(od -An -tx1 "$folder/simbols" | tr -d ' \n')" = 6162c60d0a ] ||
    fail "simbols was not written back as read: $(od -An -tx1 "$folder/simbols")"
[ "$(od -An -tx1 "$folder/excluds" | tr -d ' \n')" = 0d0a ] ||
    fail "excluds was not written beside the program"
echo "windows zip: contents and a start and close of its passgen.exe passed"
