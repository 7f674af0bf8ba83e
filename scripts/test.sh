#!/bin/bash
# Builds everything and runs the whole test suite twice: once in an ordinary build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer. It also runs every fuzzer (the readers
# of brand archives, catalogues, HTTP responses, feeds and gzip downloads) for a bounded time.
# Any failure, sanitizer report or fuzzer crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPANTREL_SANITIZE=ON
cmake --build build-asan -j"$jobs"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DPANTREL_FUZZ=ON
cmake --build build-fuzz -j"$jobs" --target pantrel_fuzzers
scripts/run-fuzzers.sh build-fuzz "${PANTREL_FUZZ_SECONDS:-60}"

(cd build && ctest --output-on-failure -j"$jobs")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$PWD/cmake/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Each sanitized test runs several times slower and starts sanitized programs of its own (the
# program, the recipe programs, X servers): one a core would starve their handshakes.
(cd build-asan && ctest --output-on-failure -j"$(( (jobs + 1) / 2 ))")
