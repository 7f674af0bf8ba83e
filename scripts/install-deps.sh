#!/bin/bash
# Installs the Debian packages that building and running Pantrel need and, with --tests, also
# those that only the tests, fuzzers and benchmarks need. Skips apt-get entirely when every
# one of them is already there.
# Usage: install-deps.sh [--tests]
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev libqt6svg6 qt6-svg-dev
    xvfb xauth fonts-dejavu-core libssl-dev zlib1g-dev libsqlite3-dev libxcb1-dev
    tango-icon-theme librsvg2-bin
)
test_packages=(
    poppler-utils fonts-liberation2 locales openbox wmctrl xdotool x11-utils
    clang-14 libclang-rt-14-dev libbenchmark-dev
)

case "${1:-}" in
    "") ;;
    --tests) packages+=("${test_packages[@]}") ;;
    *) echo "Usage: $0 [--tests]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
