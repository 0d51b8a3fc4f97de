#!/usr/bin/env bash
# The real program, asked to quit by SIGTERM while its message "Нет символов
# для генерации пароля" is open: it must close the box, save both sets and end
# with status 0 within a few seconds. Needs Xvfb and xdotool to click; skips
# (status 77) without them.
set -uo pipefail
program=$1
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "quit-test: no $tool, skipped"; exit 77; }
done

work=$(mktemp -d)
cleanup() {
    [[ -n ${app:-} ]] && kill -KILL "$app" 2>/dev/null
    [[ -n ${xvfb:-} ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The settings files live beside the program.
cp "$program" "$work/passgen"

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "quit-test: Xvfb did not start"; exit 1; }
export DISPLAY=:$(<"$work/display") QT_QPA_PLATFORM=xcb

"$work/passgen" >"$work/out.txt" 2>&1 &
app=$!
waitFor() { # name: prints the first window of that exact name
    for _ in $(seq 100); do
        xdotool search --pid "$app" --name "^$1\$" 2>/dev/null | head -1 | grep . && return 0
        sleep 0.1
    done
    return 1
}
frame=$(waitFor "Генератор паролей") || { echo "quit-test: no frame"; exit 1; }
sleep 0.5
# Генерация in the toolbar, then Генерировать in the generator window; with
# no window manager the frame has no title bar and both stay where they open.
xdotool mousemove --window "$frame" 39 26 click 1
sleep 1
xdotool mousemove --window "$frame" 241 339 click 1
box=$(waitFor "Генератор") || { echo "quit-test: no message box"; cat "$work/out.txt"; exit 1; }

kill -TERM "$app"
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
    echo "quit-test: still running 5 s after SIGTERM"
    exit 1
fi
wait "$app"
status=$?
app=
fail=0
[[ $status -eq 0 ]] || { echo "quit-test: exit status $status"; cat "$work/out.txt"; fail=1; }
for file in simbols excluds; do
    [[ $(od -An -c "$work/$file" 2>/dev/null | tr -d ' ') == '\r\n' ]] ||
        { echo "quit-test: $file not saved as CR LF"; fail=1; }
done
exit $fail
