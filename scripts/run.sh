#!/bin/bash
# Builds Pantrel and starts it from the build tree. Without a display it runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target pantrel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running Pantrel under xvfb-run (a virtual display)."
    exec xvfb-run -a build/bin/pantrel "$@"
fi
exec build/bin/pantrel "$@"
