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
# shellcheck source=scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"

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
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

# A copy of its own: the program keeps its settings files beside itself, and
# with none there the symbol set is empty, which the message-box check needs.
cp "$passgen" "$work/passgen"

# A runtime folder of its own: else the accessibility bus's socket is
# ~/.cache/at-spi/bus, which a run beside this one (another build's tests)
# takes over and deletes.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
eval "$(dbus-launch --sh-syntax)"
"$bus_launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME

start_xvfb "$work/xvfb.log"
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
