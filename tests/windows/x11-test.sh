#!/usr/bin/env bash
# x11-test.sh PROGRAM [ARGUMENTS]: runs a window test program on Qt's X11
# platform, on an Xvfb display of its own, so that other X11 programs (xclip)
# can read what it puts on the clipboard and in the PRIMARY selection. Needs
# no display of the caller's; without Xvfb or xclip it skips (exit 77).
set -euo pipefail

for tool in Xvfb xclip; do
    if ! command -v "$tool" >/dev/null; then
        echo "x11-test.sh: $tool is not installed; skipped" >&2
        exit 77
    fi
done

work=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf -- "$work"' EXIT

# Xvfb picks a free display itself and writes its number when ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
waited=0
until [ -s "$work/display" ]; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$waited" -ge 300 ]; then
        echo "x11-test.sh: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done

# A background xclip still holding a selection ends with the display.
DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" "$@"
