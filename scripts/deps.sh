#!/usr/bin/env bash
# Installs from Debian's packages whatever the build, the tests and the program need and the
# machine lacks. Safe to run again: it installs nothing when all is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev qt6-svg-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libofx-dev libzstd-dev
    clang libclang-rt-dev clang-format
    python3 python3-dbf libdbd-xbase-perl
    xvfb xauth x11-utils
    poppler-utils
    dpkg-dev file appstream
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
