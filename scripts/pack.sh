#!/usr/bin/env bash
# Packs a build of passgen as its release package: the folder that
# `cmake --install` lays out, programs stripped, as a tar.gz on Linux and a
# zip on Windows, named as the build's CPack configuration names it.
#
#   bash scripts/pack.sh BUILD_FOLDER OUT_FOLDER     prints the package's path
#
# The same files give the same bytes, whoever packs them and wherever: the
# entries are in sorted order, owned by root, with the permissions 755 or
# 644 and the time SOURCE_DATE_EPOCH (by default the last commit's).
set -euo pipefail
build=$1 out=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

config=$build/CPackConfig.cmake
[ -f "$config" ] || {
    echo "pack.sh: $config is missing: configure the build first" >&2
    exit 1
}
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$config")
generator=$(sed -n 's/^set(CPACK_GENERATOR "\(.*\)")$/\1/p' "$config")
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || date +%s)
fi
# The Windows strip stamps the program's header with it, else with the time
# it ran.
export SOURCE_DATE_EPOCH

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/$name" --strip >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)

case $generator in
TGZ)
    package=$out/$name.tar.gz
    tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
        --mode=u+rwX,go=rX --format=gnu -C "$stage" -cf - "$name" | gzip -9n >"$package"
    ;;
ZIP)
    package=$out/$name.zip
    python3 - "$stage" "$name" "$package" "$SOURCE_DATE_EPOCH" <<'PYTHON'
import os, sys, time, zipfile

stage, name, package, epoch = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
# A zip keeps times as local DOS times from 1980 on; UTC stands in for local.
stamp = time.gmtime(max(epoch, 315532800))[:6]
paths = []
for folder, subfolders, files in os.walk(os.path.join(stage, name)):
    paths += [os.path.join(folder, entry) for entry in subfolders + files]
paths.append(os.path.join(stage, name))
with zipfile.ZipFile(package, "w") as archive:
    for path in sorted(paths, key=lambda p: os.path.relpath(p, stage).replace(os.sep, "/")):
        entry = os.path.relpath(path, stage).replace(os.sep, "/")
        folder = os.path.isdir(path)
        info = zipfile.ZipInfo(entry + "/" if folder else entry, date_time=stamp)
        info.create_system = 3  # Unix, so that the permissions below count
        executable = folder or os.access(path, os.X_OK)
        info.external_attr = ((0o40755 if folder else 0o100755 if executable else 0o100644) << 16
                              | (0x10 if folder else 0))
        if folder:
            archive.writestr(info, b"")
        else:
            with open(path, "rb") as file:
                archive.writestr(info, file.read(), zipfile.ZIP_DEFLATED, 9)
PYTHON
    ;;
*)
    echo "pack.sh: the build packs as $generator, which this script does not make" >&2
    exit 1
    ;;
esac
echo "$package"
