#!/usr/bin/env bash
# The release tarball holds the portable folder; its program, started from the
# unpacked folder and asked to quit by SIGTERM, closes normally and writes its
# settings files beside itself.
# Arguments: the build folder, the package's file name without .tar.gz.
set -euo pipefail
build=$1 name=$2

# shellcheck source=tests/package-test.sh
source "$(dirname "$0")/../package-test.sh"
unpack_package "$build" "$name" tar.gz
for path in passgen install-user.sh share/applications/*.desktop share/metainfo/*.metainfo.xml \
    share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/*.png; do
    compgen -G "$folder/$path" >/dev/null || fail "the tarball holds no $path"
done

printf 'abc\r\n' >"$folder/simbols"
QT_QPA_PLATFORM=offscreen "$folder/passgen" &
pid=$!
# Ready for SIGTERM once it catches it; before, the signal would kill it
# unsaved. Until it has become the program, the shell that starts it catches
# SIGTERM too.
catches_term() {
    local caught
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = passgen ] || return 1
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
    [ -n "$caught" ] && (((16#$caught >> 14) & 1))
}
ready_or_gone() { catches_term || ! kill -0 "$pid" 2>/dev/null; }
wait_until 30 ready_or_gone || fail "the program did not get ready for SIGTERM within 30 s"
catches_term || fail "the program ended at start"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(cat "$folder/simbols")" = $'abc\r' ] || fail "simbols was not written back as read"
[ "$(cat "$folder/excluds")" = $'\r' ] || fail "excluds was not written beside the program"
echo "release tarball: contents and a start and close of its program passed"
