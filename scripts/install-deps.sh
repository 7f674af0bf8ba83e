#!/bin/bash
# Installs the Debian packages that building, running and testing Pantrel need,
# skipping apt-get entirely when every one of them is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev libqt6svg6 qt6-svg-dev
    xvfb xauth fonts-dejavu-core libssl-dev zlib1g-dev
    tango-icon-theme librsvg2-bin
    poppler-utils fonts-liberation2 locales
    clang-14 libclang-rt-14-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
