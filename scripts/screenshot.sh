#!/usr/bin/env bash
# Photographs the real window under Xvfb for the README: a photo in the preview and in the source view at 200%;
# then, under a window manager (openbox) with a C locale, the title bar naming a changed photo and the save
# dialog in Russian.
#   scripts/screenshot.sh [PHOTO]   (default data/sample.jpg; BUILD_DIR chooses the build folder, default build)
#   -> docs/screenshot-preview.png, docs/screenshot-source.png, docs/screenshot-title.png,
#      docs/screenshot-save-dialog.png
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh screenshot
photo=${1:-data/sample.jpg}
build=${BUILD_DIR:-build}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVA_TOOLS=ON >/dev/null
cmake --build "$build" --target zorva_screenshot

mkdir -p docs
for view in preview source; do
  xvfb-run -a -s "-screen 0 1280x900x24" "$build"/bin/zorva_screenshot "$photo" "docs/screenshot-$view.png" "$view" 1100x760
  echo "docs/screenshot-$view.png"
done
for view in title save-dialog; do
  LANG=C LC_ALL=C xvfb-run -a -s "-screen 0 1180x860x24" \
    sh -c "openbox & sleep 1; '$build/bin/zorva_screenshot' '$photo' 'docs/screenshot-$view.png' $view 1100x760"
  echo "docs/screenshot-$view.png"
done
