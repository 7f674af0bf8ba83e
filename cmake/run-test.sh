#!/bin/sh
# Runs one test executable in a private, throw-away home so that settings and user data
# written by the test never touch the real ones or another test's.
set -e
# The path of a socket holds 107 bytes, and the program's channel in the runtime folder takes
# half of them: the scratch folder goes to /tmp when TMPDIR is the longer path.
base=${TMPDIR:-/tmp}
if [ ${#base} -gt 4 ] && [ -d /tmp ] && [ -w /tmp ]; then
    base=/tmp
fi
scratch=$(mktemp -d "$base/pantrel-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/cache" "$scratch/runtime"
chmod 700 "$scratch/runtime"
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen \
    "$@"
