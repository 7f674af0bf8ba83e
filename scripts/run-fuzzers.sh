#!/bin/bash
# Runs every fuzzer of a fuzz build for a bounded time, starting from its seed corpus.
# Usage: run-fuzzers.sh <build-dir> <seconds-per-fuzzer>
set -euo pipefail
build=$1
seconds=$2
shopt -s nullglob
for fuzzer in "$build"/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    corpus=$(mktemp -d)
    seeds="tests/fuzz/corpus/${name#fuzz_}"
    [ -d "$build/corpus/${name#fuzz_}" ] && cp -r "$build/corpus/${name#fuzz_}/." "$corpus/"
    [ -d "$seeds" ] && cp -r "$seeds/." "$corpus/"
    echo "Fuzzing $name for $seconds s"
    QT_QPA_PLATFORM=offscreen "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus"
    rm -rf "$corpus"
done
