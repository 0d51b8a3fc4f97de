#!/usr/bin/env bash
# Installs what building passgen needs on Debian or Ubuntu. With --tests also
# what its tests and benchmarks need, with --coverage that and gcovr for
# scripts/coverage.sh; with --windows only the Windows leg's:
# the cross-compiler, what building Qt for Windows needs (the host's Qt tools
# of the same version, Ninja), GoogleTest sources, Wine and Xvfb. Runs
# apt-get as root, through sudo when started by another user.
set -euo pipefail

packages=()
case "${1:-}" in
--windows)
    # The posix-threads compiler only (see cmake/mingw-w64-x86_64.cmake): the
    # g++-mingw-w64-x86-64 package would add the win32-threads one as well.
    packages+=(cmake make ninja-build xz-utils googletest g++-mingw-w64-x86-64-posix
        qt6-base-dev qt6-base-dev-tools wine64 wine fonts-wine xvfb python3)
    ;;
*)
    packages+=(
        cmake g++ make pkg-config
        qt6-base-dev qt6-base-dev-tools libgl-dev
        libssl-dev
        # Stand-ins for the Windows fonts: Liberation Mono has the metrics of
        # "Courier New", Liberation Sans and DejaVu Sans serve "Tahoma" and "Verdana".
        fonts-liberation fonts-dejavu-core
    )
    if [ "${1:-}" = "--tests" ] || [ "${1:-}" = "--coverage" ]; then
        packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev python3)
        # The validators of the desktop entry and the metainfo.
        packages+=(desktop-file-utils appstream)
        # An X server of its own and xclip, which reads the clipboard as
        # another program does.
        packages+=(xvfb xclip)
        # The accessibility bus that the screen-reader test reads, on its own X display.
        packages+=(dbus-x11 at-spi2-core python3-pyatspi)
        # Qt's private headers, through which a test turns accessibility on.
        packages+=(qt6-base-private-dev)
        # libFuzzer comes with clang's runtime libraries.
        packages+=(clang libclang-rt-dev)
        # A display and clicks for the program itself, asked to quit while a
        # message box is open.
        packages+=(xdotool)
    fi
    if [ "${1:-}" = "--coverage" ]; then
        packages+=(gcovr)
    fi
    ;;
esac

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}"
