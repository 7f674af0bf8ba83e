#!/bin/bash
# Builds Pantrel and starts it from the build tree. Without a display it runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target pantrel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: Pantrel runs on a virtual display (xvfb-run) that nobody can see."
    echo "Stop it with Ctrl+C, or from another terminal with: kill -INT -- -$$"
    exec xvfb-run -a build/bin/pantrel "$@"
fi
exec build/bin/pantrel "$@"
