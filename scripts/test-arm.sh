#!/usr/bin/env bash
# Cross-builds the Qt-free libraries and their tests for 64-bit ARM (build-arm) and runs the tests under qemu-user:
# the plain build of every accelerated loop, and no x86-only code above the processor layer.
#   scripts/test-arm.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh arm
jobs=$(nproc)

cmake -S . -B build-arm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
      -DZORVA_WITH_QT=OFF -DZORVA_TESTS=ON -DZORVA_WERROR=ON >/dev/null
cmake --build build-arm -j "$jobs"
# The toolchain file names qemu as the emulator, so ctest runs every test binary through it.
QEMU_LD_PREFIX=/usr/aarch64-linux-gnu ctest --test-dir build-arm -j "$jobs" --output-on-failure
