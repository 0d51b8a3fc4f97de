#!/usr/bin/env bash
# Installs what building and testing passgen needs on Debian or Ubuntu.
# Runs apt-get as root, through sudo when started by another user.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libssl-dev
    # "Courier New" maps to the metric-compatible Liberation Mono, "Tahoma"
    # and "Verdana" to DejaVu Sans.
    fonts-liberation fonts-dejavu-core
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}" "$@"
