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

# shellcheck source=scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf -- "$work"' EXIT
start_xvfb

# A background xclip still holding a selection ends with the display.
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" "$@"
