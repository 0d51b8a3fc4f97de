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
# Ready for SIGTERM once it catches it; before, the signal would kill it unsaved.
catches_term() {
    local caught
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
    [ -n "$caught" ] && (((16#$caught >> 14) & 1))
}
for _ in $(seq 300); do
    catches_term && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended at start"
    sleep 0.1
done
catches_term || fail "the program did not get ready for SIGTERM within 30 s"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(cat "$folder/simbols")" = $'abc\r' ] || fail "simbols was not written back as read"
[ "$(cat "$folder/excluds")" = $'\r' ] || fail "excluds was not written beside the program"
echo "release tarball: contents and a start and close of its program passed"
