#!/usr/bin/env bash
# Builds the smallest static Qt for 64-bit Windows that passgen needs (Core,
# Gui, Widgets, Test, the windows platform plugin, the WindowsVista style and
# the ico image plugin) with MinGW-w64, from Debian's own qt6-base source of
# the same version as the installed host tools, and installs it into a cache
# folder outside the clone. The folder's name holds the Qt version and a hash
# of this script and the toolchain file, so a later run, or CI on the same
# machine, reuses it, and a change to either builds afresh.
#
#   bash scripts/build-qt-windows.sh                 build unless cached
#   bash scripts/build-qt-windows.sh --print-prefix  only print the folder
#
# Prints the install folder as its last line. Needs what
# scripts/install-deps.sh --windows installs; apt-get fetches the source
# without root, through a source list of its own made from the system's.
set -euo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/.."
top=$PWD

cache=${PASSGEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/passgen}
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools)
key=$(cat "$script" cmake/mingw-w64-x86_64.cmake | sha256sum | cut -c1-12)
prefix="$cache/qt-${version//[^A-Za-z0-9.]/_}-mingw-w64-$key"

if [ "${1:-}" = "--print-prefix" ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$prefix/.complete" ]; then
    echo "build-qt-windows.sh: reusing $prefix" >&2
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

# deb-src entries for the suites the system already uses, in a list and a
# state folder of our own: the system's apt configuration stays untouched.
apt="$work/apt"
mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial"
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$apt/parts/system.list"
fi
for list in /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >>"$apt/parts/system.list"
done
for sources in /etc/apt/sources.list.d/*.sources; do
    [ -f "$sources" ] && sed 's/^Types:.*/Types: deb-src/' "$sources" >"$apt/parts/$(basename "$sources")"
done
aptopts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/parts"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=$(id -un)")
apt-get "${aptopts[@]}" -qq update
(cd "$work" && apt-get "${aptopts[@]}" -qq source --download-only "qt6-base=$version")
tar -xf "$work"/qt6-base_*.orig.tar.* -C "$work"
source_dir=$(echo "$work"/qtbase-everywhere-src-*)

# Static, with Qt's bundled zlib, PCRE2, PNG, HarfBuzz and double-conversion,
# built for size and without everything passgen does not use. The dfsg
# tarball lacks the wintab headers (their licence), so tablet events are off;
# with OpenGL off, dynamicgl must be off as well or the windows plugin does
# not compile in 6.4; and with Direct2D off, the DirectWrite 3 font database
# must go too, or the plugin refers to a class that Gui leaves out.
# The WindowsVista style needs item views, tab bars, radio buttons, combo and
# spin boxes, stacked widgets and the input dialog without a guard, and Qt's
# removed_api.cpp needs the tool and menu bars, so those stay. So does
# QRegularExpression: Qt 6.4's configure requires PCRE2 whatever the feature
# says, and nothing pulls it into passgen.exe.
features_off=(
    network sql printsupport concurrent xml dbus
    opengl dynamicgl vulkan direct2d directwrite3 tabletevent
    icu glib zstd jpeg gif freetype fontconfig
    system_zlib system_pcre2 system_harfbuzz system_png system_doubleconversion
    system_textmarkdownreader
    graphicsview calendarwidget datetimeedit colordialog fontdialog filedialog errormessage
    progressdialog wizard dockwidget statusbar toolbox splitter lcdnumber dial splashscreen
    commandlinkbutton keysequenceedit progressbar textbrowser syntaxhighlighter scroller
    fontcombobox completer listwidget treewidget tablewidget columnview datawidgetmapper
    undoview undocommand systemtrayicon whatsthis style_fusion
    cssparser textodfwriter textmarkdownreader textmarkdownwriter movie pdf
    mimetype hijricalendar jalalicalendar commandlineparser
)
# No path of this machine in what is linked into passgen.exe: source paths
# in assertions and warnings are made relative, and a relocatable Qt keeps
# no install prefix.
prefix_map="-ffile-prefix-map=$work/="
feature_flags=()
for feature in "${features_off[@]}"; do
    feature_flags+=("-DFEATURE_$feature=OFF")
done
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="$prefix_map" -DCMAKE_CXX_FLAGS="$prefix_map" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_optimize_size=ON -DFEATURE_relocatable=ON \
    "${feature_flags[@]}" \
    >"$work/configure.log" 2>&1 || {
    tail -n 60 "$work/configure.log" >&2
    exit 1
}

# Half an hour of silence looks like a hang: say every 30 s how far Ninja is.
started=$SECONDS
NINJA_STATUS="[%f/%t] " cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 &
builder=$!
while kill -0 "$builder" 2>/dev/null; do
    sleep 30 &
    wait $! || true
    if kill -0 "$builder" 2>/dev/null; then
        steps=$(grep -o '^\[[0-9]*/[0-9]*\]' "$work/build.log" | tail -n 1 | tr -d '[]' || true)
        echo "build-qt-windows.sh: ${steps:-0/?} steps done after $((SECONDS - started)) s" >&2
    fi
done
wait "$builder" || {
    tail -n 60 "$work/build.log" >&2
    exit 1
}
echo "build-qt-windows.sh: Qt built in $((SECONDS - started)) s" >&2

# Installed beside the final folder and moved in place whole, so that an
# interrupted run never leaves a folder that looks complete.
rm -rf "$prefix"
DESTDIR="$work/stage" cmake --install "$work/build" >/dev/null
mv "$work/stage$prefix" "$prefix"
touch "$prefix/.complete"
echo "$prefix"
