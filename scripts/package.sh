#!/usr/bin/env bash
# Builds the Debian package of Zorva from the Release build folder (the one the test command uses):
# build/zorva_VERSION_ARCH.deb, to install with `sudo apt install ./build/zorva_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
cd build
rm -f zorva_*.deb
cpack -G DEB
