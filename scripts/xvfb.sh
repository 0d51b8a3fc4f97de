# Sourced by the scripts and tests that need an X display of their own.
# start_xvfb [LOG] starts Xvfb on a display it picks itself (-displayfd, so
# no clash with other servers), waits until it takes clients, exports
# DISPLAY and sets XVFB_PID; the server's output goes to LOG or nowhere.
# stop_xvfb ends it. The server does not reset when its last client leaves:
# a program connecting during a reset is turned away, and Qt then aborts.

# shellcheck source=scripts/wait.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

start_xvfb() {
    local log=${1:-/dev/null} ready
    ready=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$ready" >"$log" 2>&1 &
    XVFB_PID=$!
    wait_until 30 xvfb_ready_or_gone "$ready" || true
    if [ ! -s "$ready" ]; then
        rm -f "$ready"
        echo "xvfb.sh: Xvfb did not start" >&2
        return 1
    fi
    DISPLAY=":$(head -n 1 "$ready")"
    export DISPLAY
    rm -f "$ready"
}

xvfb_ready_or_gone() { [ -s "$1" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; }

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
