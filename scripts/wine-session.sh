# Sourced by the Windows scripts: a throwaway Wine prefix with the ANSI code
# page 1251 and an Xvfb display of its own, so Windows programs, windows and
# all, run here as on a Russian Windows. start_wine_session sets WINEPREFIX,
# DISPLAY and WINE; stop_wine_session ends both and removes the prefix.

start_wine_session() {
    WINEPREFIX=$(mktemp -d)
    export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINE=$(command -v wine64 || command -v wine)
    # Wine takes the ANSI code page from LANG and LC_ALL together: Russian
    # gives 1251.
    export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8

    # Xvfb picks a free display itself and writes its number when ready.
    local ready="$WINEPREFIX/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    XVFB_PID=$!
    local waited=0
    until [ -s "$ready" ]; do
        if ! kill -0 "$XVFB_PID" 2>/dev/null || [ "$waited" -ge 300 ]; then
            echo "wine-session.sh: Xvfb did not start" >&2
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n 1 "$ready")"

    "$WINE" wineboot --init >/dev/null 2>&1
    wineserver -w
    # Debian's Wine finds its own fonts (Tahoma, Marlett for the title-bar
    # buttons) only in the prefix's Fonts folder.
    if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    # As on Windows since Vista: visual styles on (Wine's own Light theme), so
    # the windows style draws with the theme, and ClearType, without which
    # Wine's Tahoma loses its thin stems at the journal's size.
    local theme='C:\\windows\\resources\\themes\\light\\light.msstyles'
    printf '%s\n' 'REGEDIT4' '' \
        '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\ThemeManager]' \
        '"ThemeActive"="1"' "\"DllName\"=\"$theme\"" '"ColorName"="NormalColor"' \
        '"SizeName"="NormalSize"' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' \
        '"FontSmoothing"="2"' '"FontSmoothingType"=dword:00000002' >"$WINEPREFIX/theme.reg"
    "$WINE" regedit "$WINEPREFIX/theme.reg" >/dev/null 2>&1
    wineserver -w
    # Drive P: stands for a program folder at the root of a drive.
    mkdir -p "$WINEPREFIX/drive_p"
    ln -s ../drive_p "$WINEPREFIX/dosdevices/p:"
    # One server for all programs, so each starts quickly. Wine's own services
    # start with the first program and stay as long as the server: start them
    # here, with their output going nowhere, or they would keep the output
    # pipe of the first test open and CTest would wait for it for ever.
    wineserver -p
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
}

stop_wine_session() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
