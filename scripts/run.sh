#!/usr/bin/env bash
# Builds Zorva and starts the editor on the bundled sample photo (or on the files given).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_TESTS=OFF >/dev/null
cmake --build build --target zorva
if [ $# -eq 0 ]; then set -- data/sample.jpg; fi
exec build/bin/zorva "$@"
