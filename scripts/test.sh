#!/usr/bin/env bash
# Builds Zorva with its tests and runs them all: the formatting check, the full
# build with warnings as errors, a short run of every fuzzer, the Qt-free
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and once
# more cross-built for 64-bit ARM under qemu-user.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

# Every C++ source as .clang-format lays it out.
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_TESTS=ON -DZORVA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

scripts/fuzz.sh 20

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVA_WITH_QT=OFF -DZORVA_SANITIZE=ON \
      -DZORVA_TESTS=ON -DZORVA_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure

scripts/test-arm.sh
