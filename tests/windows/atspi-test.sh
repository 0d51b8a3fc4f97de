#!/usr/bin/env bash
# Starts passgen as a screen reader finds it on Linux and reads its tree off
# the accessibility bus: its own X display (Xvfb), a session bus, the AT-SPI
# bus and the program with accessibility always on. Needs xvfb, dbus-x11,
# at-spi2-core and python3-pyatspi.
#   atspi-test.sh PASSGEN [check|dump] [AT-SPI-BUS-LAUNCHER]
set -euo pipefail
passgen=$(realpath "$1")
mode=${2:-check}
bus_launcher=${3:-/usr/libexec/at-spi-bus-launcher}
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    if [ -n "${DBUS_SESSION_BUS_PID:-}" ]; then
        kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A copy of its own: the program keeps its settings files beside itself, and
# with none there the symbol set is empty, which the message-box check needs.
cp "$passgen" "$work/passgen"

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 display <&"$displayfd" || { echo "atspi-test: Xvfb did not start" >&2; exit 1; }
exec {displayfd}<&-
export DISPLAY=":$display"
for _ in $(seq 50); do
    [ -S "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done

eval "$(dbus-launch --sh-syntax)"
export NO_AT_BRIDGE=0
"$bus_launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1
unset QT_QPA_PLATFORMTHEME
"$work/passgen" >"$work/passgen.log" 2>&1 &
pids+=($!)

status=0
timeout 120 /usr/bin/python3 "$here/atspi_tree.py" "$mode" || status=$?
if [ "$status" -ne 0 ]; then
    for log in xvfb atspi passgen; do
        echo "--- $log's output:" >&2
        cat "$work/$log.log" >&2
    done
fi
exit "$status"
