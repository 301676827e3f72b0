#!/usr/bin/env bash
# Installs the Debian packages Zorva needs for a purpose, only those missing.
#   scripts/deps.sh build|test|run|package|bench|corpus|bases|plates|screenshot|arm
set -euo pipefail

# The barcode chain links zxing-cpp and zbar (libzxing-dev, libzbar-dev);
# their runtime libraries come with them, so every purpose below has them.
# The fast picture readers of the window and zorva-cli link libjpeg-turbo, libpng and libdeflate (libjpeg-dev,
# libpng-dev, libdeflate-dev); the Qt-free build for ARM has no readers and needs no libdeflate.
# The build renders the program icon's bitmap sizes from its SVG (rsvg-convert). Qt's own dialogs speak
# Russian from Qt's translations (qtbase_ru.qm in qt6-translations-l10n), whatever the system's locale.
build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins
       qt6-qpa-plugins qt6-translations-l10n libgl-dev libgtest-dev libgmock-dev libpng-dev libdeflate-dev
       libjpeg-dev libzxing-dev libzbar-dev librsvg2-bin)
# The Debian package (cpack, scripts/package.sh): its Depends come from dpkg-shlibdeps (dpkg-dev), which
# cpack runs on the files that file(1) calls executables.
package=(dpkg-dev file)
case "${1:-build}" in
  build)  want=("${build[@]}") ;;
  # The test command checks the layout of the sources (clang-format). The
  # tests render SVG (rsvg-convert), validate XML (xmllint), make GIFs and
  # compare pictures (ImageMagick), look at printed PDFs (pdftoppm), build
  # the fuzzers (clang with its libFuzzer runtime) and run copies of
  # zorva-cli side by side (GNU parallel). The package's test builds it, checks its desktop entry
  # (desktop-file-validate) and manual pages (groff) and asks apt whether it would install. The
  # clipboard test runs the window under Xvfb beside a clipboard owner of its own that never answers (xcb).
  test)   want=("${build[@]}" "${package[@]}" clang-format imagemagick libxml2-utils poppler-utils clang libclang-rt-14-dev
                parallel desktop-file-utils groff-base xvfb xauth libxcb1-dev) ;;
  run)    want=("${build[@]}" fonts-dejavu-core) ;;
  package) want=("${build[@]}" "${package[@]}") ;;
  # The benchmarks compare with OpenCV (its Python module from scripts, its
  # development files in the effects benchmark's own process), zbar, potrace
  # and ImageMagick; whole runs of zorva-cli also with GraphicsMagick and
  # libvips (bench/process-compare.sh).
  bench)  want=("${build[@]}" libbenchmark-dev imagemagick potrace zbar-tools python3-opencv libopencv-dev
                graphicsmagick libvips-tools) ;;
  corpus) want=(zint imagemagick) ;;
  # The shipped symbol bases are drawn from fonts close to the number-plate typeface (Open DIN,
  # osifont) and a plain sans-serif (DejaVu Sans) by ImageMagick (scripts/make-bases.sh).
  bases)  want=("${build[@]}" imagemagick fonts-opendin fonts-osifont fonts-dejavu-core) ;;
  # The generated plate corpus draws plates in the same faces or in our own drawing of the plate typeface
  # (SVG rendered by rsvg-convert) and lays them on grounds made by ImageMagick, some with signs in DejaVu
  # Sans (scripts/make-plates.sh).
  plates) want=(imagemagick librsvg2-bin fonts-opendin fonts-osifont fonts-dejavu-core) ;;
  # The title bar of the window is drawn by a window manager (openbox) in the X server.
  screenshot) want=("${build[@]}" xvfb xauth fonts-dejavu-core openbox) ;;
  # The Qt-free build for 64-bit ARM (scripts/test-arm.sh): the cross compiler, qemu-user to run the tests, and
  # the target's libraries as multiarch packages. zbar comes as its runtime library only: libzbar-dev:arm64
  # conflicts with libzbar-dev (its ImageMagick dependency is not multi-arch) and would remove it; the cross
  # build takes the header of the build machine's libzbar-dev.
  arm)    want=("${build[@]}" g++-aarch64-linux-gnu qemu-user-static libgtest-dev:arm64 libgmock-dev:arm64
                libjpeg-dev:arm64 libpng-dev:arm64 libzxing-dev:arm64 libzbar0:arm64) ;;
  *) echo "usage: $0 build|test|run|package|bench|corpus|bases|plates|screenshot|arm" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [[ " ${missing[*]}" == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
fi
$sudo apt-get update -qq
# A package of another architecture may conflict with one of the machine's own; never let it remove anything.
if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -s --no-install-recommends "${missing[@]}" | grep '^Remv'; then
  echo "$0: installing ${missing[*]} would remove the packages above; not installing" >&2
  exit 1
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
