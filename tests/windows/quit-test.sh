#!/usr/bin/env bash
# The real program, asked to quit by SIGTERM, must close any message box and
# end with the status and files the README promises: during "Нет символов
# для генерации пароля" both sets are saved and the status is 0; when excluds
# cannot be written, simbols is saved and the status is 1; during the message
# that a settings file cannot be read at start nothing is written and the
# status is 1; while a large set is read, the program ends without showing
# its frame, the set kept as read (the file already holds it, so it is not
# written again) and the status 0. Needs Xvfb and xdotool
# to click, and python3 to hold the file back; skips (status 77) without them.
set -uo pipefail
program=$1
for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || { echo "quit-test: no $tool, skipped"; exit 77; }
done

# shellcheck source=scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
work=$(mktemp -d)
cleanup() {
    [[ -n ${app:-} ]] && kill -KILL "$app" 2>/dev/null
    [[ -n ${LEASE_PID:-} ]] && kill "$LEASE_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb || exit 1
export QT_QPA_PLATFORM=xcb
# The system words its reasons in the locale's language: English, as checked below.
export LC_ALL=C.UTF-8

windowOf() { # name: prints the program's first mapped window with that exact name
    xdotool search --onlyvisible --pid "$app" --name "^$1\$" 2>/dev/null | head -1 | grep .
}
ended() { ! kill -0 "$app" 2>/dev/null; }

fail=0
# name status: the program in a fresh folder (its settings files live beside
# it), made ready by setUp and brought to the moment by steps; then SIGTERM,
# afterSignal, and the end with that status expected.
quitAt() {
    local name=$1 expected=$2
    rm -rf "$work/folder" && mkdir "$work/folder" && cp "$program" "$work/folder/passgen"
    setUp
    "$work/folder/passgen" >"$work/out.txt" 2>&1 &
    app=$!
    if ! steps; then
        echo "quit-test $name: the moment did not come"
        cat "$work/out.txt"
        fail=1
    fi
    kill -TERM "$app"
    afterSignal
    if ! wait_until 20 ended; then
        echo "quit-test $name: still running 20 s after SIGTERM"
        windowOf "Генератор паролей" >/dev/null && echo "quit-test $name: the frame is shown"
        fail=1
        kill -KILL "$app"
        wait "$app" 2>/dev/null
        app=
        return
    fi
    wait "$app"
    local status=$?
    app=
    if [[ $status -ne $expected ]]; then
        echo "quit-test $name: exit status $status, not $expected"
        cat "$work/out.txt"
        fail=1
    fi
}
bytes() { od -An -c "$work/folder/$1" 2>/dev/null | tr -d ' \n'; }
afterSignal() { :; }

# The frame opens in the middle of the screen (Xvfb's, 1280 by 1024).
centred() {
    local X Y WIDTH HEIGHT SCREEN WINDOW dx dy
    eval "$(xdotool getwindowgeometry --shell "$1")"
    dx=$((X - (1280 - WIDTH) / 2)) dy=$((Y - (1024 - HEIGHT) / 2))
    ((dx * dx <= 1 && dy * dy <= 1)) || { echo "quit-test: the frame opened at $X, $Y"; return 1; }
}

setUp() { :; }
steps() {
    local frame
    frame=$(wait_until 30 windowOf "Генератор паролей") || return
    centred "$frame" || fail=1
    # Генерация in the toolbar, then Генерировать in the generator window:
    # the program takes the clicks in turn. With no window manager the frame
    # has no title bar and both stay where they open.
    xdotool mousemove --window "$frame" 39 26 click 1
    xdotool mousemove --window "$frame" 241 339 click 1
    wait_until 30 windowOf "Генератор" >/dev/null
}
quitAt emptySet 0
for file in simbols excluds; do
    [[ $(bytes "$file") == '\r\n' ]] || { echo "quit-test emptySet: $file not saved as CR LF"; fail=1; }
done

# excluds leads into a folder that does not exist: it cannot be written.
setUp() { ln -s "$work/gone/excluds" "$work/folder/excluds"; }
steps() { wait_until 30 windowOf "Генератор паролей" >/dev/null; }
quitAt writeFails 1
[[ $(bytes simbols) == '\r\n' ]] || { echo "quit-test writeFails: simbols not saved"; fail=1; }
# Nobody may be there to read a box after a signal: the message goes to stderr.
said="Error : Список исключений не сохранён: не удалось записать файл $work/folder/excluds: \
No such file or directory. Файл остался прежним."
grep -qxF "$said" "$work/out.txt" || { echo "quit-test writeFails: said"; cat "$work/out.txt"; fail=1; }

# A link that leads to itself is found but cannot be opened.
setUp() { ln -s simbols "$work/folder/simbols"; }
steps() { wait_until 30 windowOf "Error" >/dev/null; }
quitAt unreadableAtStart 1
[[ -L $work/folder/simbols && ! -e $work/folder/excluds ]] ||
    { echo "quit-test unreadableAtStart: a file was written"; fail=1; }

# Another program's lease on the file holds the program's open of it until
# released, so the signal surely comes while the load runs.
setUp() {
    yes 'abcdefghijklmnopqrstuvwxyz0123456789' | head -n 20000 | sed 's/$/\r/' >"$work/folder/simbols"
    cp "$work/folder/simbols" "$work/read"
    coproc LEASE {
        python3 -c '
import fcntl, os, signal, sys
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGIO})
file = os.open(sys.argv[1], os.O_RDONLY)
fcntl.fcntl(file, fcntl.F_SETLEASE, fcntl.F_WRLCK)
print("held", flush=True)
signal.sigwait({signal.SIGIO})  # another process opens the file
print("opened", flush=True)
sys.stdin.readline()' "$work/folder/simbols"
    }
    local said
    read -r -t 30 said <&"${LEASE[0]}" && [[ $said == held ]] || echo "quit-test: no lease"
}
steps() {
    local said
    read -r -t 30 said <&"${LEASE[0]}" && [[ $said == opened ]]
}
afterSignal() {
    echo >&"${LEASE[1]}"
    wait "$LEASE_PID"
}
quitAt loadRunning 0
if ! cmp -s "$work/read" "$work/folder/simbols"; then
    echo "quit-test loadRunning: simbols not kept as read"
    fail=1
fi
[[ $(bytes excluds) == '\r\n' ]] || { echo "quit-test loadRunning: excluds not saved as CR LF"; fail=1; }
exit $fail
