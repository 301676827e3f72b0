# Sourced by the comparison scripts: makes the 12 MP photo they all time, in folder $1, from data/sample.jpg (run
# from the project folder): photo.bmp (4000 x 3000, 24-bit, sharpened a little so that the compressed files are as
# busy as a real photo's), photo.jpg at quality 92 and, when $2 is "png", photo.png. photo12_work makes it in a
# temporary folder of the script's own, $work, removed when the script exits.
make_photo12() {
  local magick=/usr/bin/convert-im6.q16
  "$magick" data/sample.jpg -resize '4000x3000!' -unsharp 0x1 -type TrueColor "BMP3:$1/photo.bmp"
  "$magick" "$1/photo.bmp" -quality 92 "$1/photo.jpg"
  if [ "${2:-}" = png ]; then "$magick" "$1/photo.bmp" "$1/photo.png"; fi
}

photo12_work() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  make_photo12 "$work" "${1:-}"
}
