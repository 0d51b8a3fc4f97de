# Sourced by the Windows scripts: a throwaway Wine prefix with the ANSI code
# page 1251 and an Xvfb display of its own, so Windows programs, windows and
# all, run here as on a Russian Windows. start_wine_session sets WINEPREFIX,
# DISPLAY and WINE; stop_wine_session ends both and removes the prefix.

# shellcheck source=scripts/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

start_wine_session() {
    WINEPREFIX=$(mktemp -d)
    export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINE=$(command -v wine64 || command -v wine)
    # Wine takes the ANSI code page from LANG and LC_ALL together: Russian
    # gives 1251.
    export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8

    start_xvfb || return 1

    "$WINE" wineboot --init >/dev/null 2>&1
    wineserver -w
    # Debian's Wine finds its own fonts (Tahoma, Marlett for the title-bar
    # buttons) only in the prefix's Fonts folder.
    if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    # As on Windows since Vista: visual styles on (Wine's own Light theme), so
    # the windows style draws with the theme, and ClearType, without which
    # Wine's Tahoma loses its thin stems at the journal's size. No window
    # manager runs on the display, so the windows are Wine's own to manage:
    # else Wine waits 2 s for a manager's answer at every window it hides.
    local theme='C:\\windows\\resources\\themes\\light\\light.msstyles'
    printf '%s\n' 'REGEDIT4' '' \
        '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\ThemeManager]' \
        '"ThemeActive"="1"' "\"DllName\"=\"$theme\"" '"ColorName"="NormalColor"' \
        '"SizeName"="NormalSize"' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' \
        '"FontSmoothing"="2"' '"FontSmoothingType"=dword:00000002' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' >"$WINEPREFIX/theme.reg"
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
    stop_xvfb
}
