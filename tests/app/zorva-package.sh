#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from the build folder, unpacked into a throw-away
# root (never installed on the machine), its control fields, files and copyright checked, and the
# installed zorva-cli run from there: it reads plates with the bases in the root's /usr/share/zorva and
# keeps its snapshots in the user's cache folder, never beside itself. As root, apt also installs and
# purges it in a copy-on-write view of the machine.
#   tests/app/zorva-package.sh BUILD
# Each check prints its name when it fails; the last line counts them.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# shellcheck source=tests/app/check.sh
source "$source_dir/tests/app/check.sh"

# ---- build ----
# The package goes to the test's own folder; the build folder keeps no trace of the run.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAILED: cpack"
  exit 1
fi
debs=("$work"/out/zorva_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAILED: one package zorva_*.deb, found: ${debs[*]}"; exit 1; }
deb=${debs[0]}
field() { dpkg-deb -f "$deb" "$1"; }

# ---- control fields ----
control_fields() {
  local arch version depends
  arch=$(dpkg --print-architecture)
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  [ "$(field Package)" = zorva ] || { echo "Package: $(field Package)"; return 1; }
  [ "$(field Version)" = "$version" ] || { echo "Version: $(field Version), project $version"; return 1; }
  [ "$(field Architecture)" = "$arch" ] || { echo "Architecture: $(field Architecture)"; return 1; }
  [ "$(basename "$deb")" = "zorva_${version}_${arch}.deb" ] || { echo "file name $(basename "$deb")"; return 1; }
  [ "$(field Section)" = graphics ] && [ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || return 1
  # Computed from the executables' libraries (dpkg-shlibdeps), with the two packages the window
  # loads at run time.
  depends=$(field Depends)
  local names p
  names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
  for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libzxing2 libzbar0 libdeflate0 \
           qt6-translations-l10n qt6-image-formats-plugins; do
    grep -qxF "$p" <<<"$names" || { echo "Depends lacks $p: $depends"; return 1; }
  done
  [[ "$depends" =~ libqt6core6\ \(\>=\ 6 ]] || { echo "Depends without versions: $depends"; return 1; }
}
check "control fields (dpkg-deb -I)" control_fields

# apt would install it here with what Debian 12 has, removing nothing.
apt_accepts() {
  local plan
  plan=$(cd "$(dirname "$deb")" && apt-get install -s --no-install-recommends "./$(basename "$deb")" 2>&1)
  grep -q '^Inst zorva ' <<<"$plan" && ! grep -q '^Remv' <<<"$plan" || { echo "$plan"; return 1; }
}
check "apt-get install -s ./zorva_*.deb" apt_accepts

# ---- contents ----
contents() {
  local listing expected path
  listing=$(dpkg-deb -c "$deb")
  # Owned by root, and all of it under /usr.
  if awk '$2 != "root/root"' <<<"$listing" | grep -q .; then echo "not root's:"; awk '$2 != "root/root"' <<<"$listing"; return 1; fi
  if awk '{print $6}' <<<"$listing" | grep -v '^\./usr/' | grep -q .; then echo "outside /usr:"; awk '{print $6}' <<<"$listing" | grep -v '^\./usr/'; return 1; fi
  expected=(bin/zorva bin/zorva-cli share/zorva/BazaDan1.zdb share/zorva/BazaDan2.zdb share/zorva/BazaDan3.zdb
            share/applications/zorva.desktop share/icons/hicolor/scalable/apps/zorva.svg
            share/man/man1/zorva.1.gz share/man/man1/zorva-cli.1.gz)
  for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x$size/apps/zorva.png"); done
  for path in "${expected[@]}"; do
    grep -q " \./usr/$path\$" <<<"$listing" || { echo "missing /usr/$path"; return 1; }
  done
  grep -q '^-rwxr-xr-x .* \./usr/bin/zorva-cli$' <<<"$listing" || { echo "zorva-cli not executable"; return 1; }
  # The package's own files are data: no snapshot, probe or lock file was packed by mistake.
  if grep -q 'grVX\|probe' <<<"$listing"; then echo "stray files:"; grep 'grVX\|probe' <<<"$listing"; return 1; fi
}
check "contents (dpkg-deb -c)" contents

root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAILED: dpkg-deb -x"; exit 1; }
cli=$root/usr/bin/zorva-cli

# The bases shipped are the project's own, byte for byte.
same_bases() {
  local k
  for k in 1 2 3; do cmp "$source_dir/data/bases/BazaDan$k.zdb" "$root/usr/share/zorva/BazaDan$k.zdb" || return 1; done
}
check "bases in /usr/share/zorva" same_bases

# Every library the executables need is found on this Debian system.
libraries() {
  local exe out
  for exe in "$root/usr/bin/zorva" "$cli"; do
    out=$(ldd "$exe") || return 1
    if grep -q 'not found' <<<"$out"; then grep 'not found' <<<"$out"; return 1; fi
  done
}
check "libraries (ldd)" libraries

# ---- desktop entry, icon, manual pages ----
desktop_entry() {
  local entry=$root/usr/share/applications/zorva.desktop type
  desktop-file-validate "$entry" || return 1
  grep -qx 'Exec=zorva %f' "$entry" && grep -qx 'Icon=zorva' "$entry" || { echo "Exec or Icon"; return 1; }
  grep -q '^Name\[ru\]=' "$entry" && grep -qx 'Name=Zorva' "$entry" || { echo "names"; return 1; }
  grep -qx 'Categories=Graphics;2DGraphics;RasterGraphics;' "$entry" || { echo "Categories"; return 1; }
  for type in image/bmp image/jpeg image/png image/gif image/tiff image/x-icon image/vnd.microsoft.icon image/webp; do
    grep -q "^MimeType=.*$type;" "$entry" || { echo "MimeType lacks $type"; return 1; }
  done
}
check "desktop entry" desktop_entry

icons() {
  local size png
  for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x$size/apps/zorva.png
    file -b "$png" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" || { file "$png"; return 1; }
  done
  xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/zorva.svg"
}
check "icons" icons

# Both pages render with no warning from groff, and zorva-cli's names every command of --help.
manual_pages() {
  local page warnings text verb
  for page in zorva zorva-cli; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -K utf8 -man -ww -z 2>&1)
    [ -z "$warnings" ] || { echo "$page.1: $warnings"; return 1; }
  done
  text=$(zcat "$root/usr/share/man/man1/zorva-cli.1.gz" | groff -K utf8 -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
  for verb in $("$cli" --help | sed -n 's/^  zorva-cli \([a-z-]*\).*/\1/p'); do
    grep -q "zorva-cli $verb" <<<"$text" || { echo "zorva-cli.1 lacks the command $verb"; return 1; }
  done
}
check "manual pages" manual_pages

# ---- copyright ----
# The project's notice and each font the symbol bases are drawn from, named with its licence.
copyright_file() {
  local file=$root/usr/share/doc/zorva/copyright
  cmp "$source_dir/packaging/copyright" "$file" || return 1
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$file" || return 1
  grep -qx 'License: all-rights-reserved' "$file" || { echo "no licence statement of the project's own"; return 1; }
  local font
  for font in 'Open DIN' osifont 'DejaVu Sans' 'License: OFL-1.1' 'License: GPL-3-only+FE' 'License: bitstream-vera'; do
    grep -qF "$font" "$file" || { echo "copyright does not name $font"; return 1; }
  done
}
check "copyright file" copyright_file

# lintian, when the machine has it: the package raises no tag about its copyright file, and the
# file's machine-readable form passes lintian's checks of it (which it runs on source packages only:
# a throw-away native source package holding just the file and the bases it names).
lintian_copyright() {
  local tags src=$work/src/zorva-$(field Version)
  tags=$(lintian --no-cfg -I "$deb" 2>&1 | grep -E '^[EWI]: ') || true
  mkdir -p "$src/debian/source" "$src/data/bases"
  cp "$root/usr/share/doc/zorva/copyright" "$src/debian/copyright"
  touch "$src"/data/bases/BazaDan{1,2,3}.zdb
  echo '3.0 (native)' >"$src/debian/source/format"
  printf 'Source: zorva\nMaintainer: %s\nStandards-Version: 4.6.2\n\nPackage: zorva\nArchitecture: any\nDescription: %s\n %s\n' \
    "$(field Maintainer)" "$(field Description | head -1)" "Zorva." >"$src/debian/control"
  printf 'zorva (%s) unstable; urgency=medium\n\n  * Copyright check.\n\n -- %s  %s\n' \
    "$(field Version)" "$(field Maintainer)" "$(date -R)" >"$src/debian/changelog"
  (cd "$work/src" && dpkg-source -b "$(basename "$src")" >/dev/null 2>&1) || { echo "dpkg-source -b failed"; return 1; }
  tags+=$'\n'$(lintian --no-cfg -I "$work"/src/zorva_*.dsc 2>&1 | grep -E '^[EWI]: ') || true
  if grep -iE 'copyright|licen[cs]e|dep5' <<<"$tags"; then return 1; fi
}
if command -v lintian >/dev/null; then
  check "copyright file lintian-clean" lintian_copyright
else
  echo "lintian not installed: the copyright file's lintian check skipped"
fi

# ---- installed for real ----
# Where the test runs as root and may make mount namespaces: apt installs the package into a
# copy-on-write view of this very system (an overlay of / whose writes go to a tmpfs, in a private mount
# namespace that ends with the check), the installed zorva-cli reads a plate from /usr/bin, and apt
# purges the package again, leaving none of its files. The machine itself never sees the package.
installs_with_apt() {
  cp "$source_dir/tests/samples/plates/A495OE06.jpg" "$work/" || return 1
  "$build/bin/zorva-cli" plate "$work/A495OE06.jpg" 2>/dev/null | sed "s|$work/|/tmp/|" >"$work/plate-built.txt" || return 1
  unshare -m --propagation private bash -s "$work" "$deb" <<'INNER'
set -eu
work=$1 deb=$2
view=$work/view
mkdir -p "$work/rw" "$view"
mount -t tmpfs tmpfs "$work/rw"
mkdir -p "$work/rw/upper" "$work/rw/work"
mount -t overlay overlay -o "lowerdir=/,upperdir=$work/rw/upper,workdir=$work/rw/work" "$view"
mount --rbind /dev "$view/dev"
mount -t proc proc "$view/proc"
mount -t tmpfs tmpfs "$view/tmp"
cp "$deb" "$work/A495OE06.jpg" "$work/plate-built.txt" "$view/tmp/"
chroot "$view" /bin/bash -s "$(basename "$deb")" <<'CHROOT'
set -eu
cd /tmp
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "/tmp/$1" >install.log 2>&1 ||
  { cat install.log; exit 1; }
grep -q '^Setting up zorva ' install.log || { cat install.log; exit 1; }
[ "$(dpkg-query -W -f '${Status}' zorva)" = "install ok installed" ]
[ "$(command -v zorva-cli)" = /usr/bin/zorva-cli ] && [ -x /usr/bin/zorva ] && [ -f /usr/share/doc/zorva/copyright ]
HOME=/tmp QT_QPA_PLATFORM=offscreen zorva-cli plate /tmp/A495OE06.jpg >plate-installed.txt
diff plate-built.txt plate-installed.txt
dpkg -L zorva | while read -r f; do [ -d "$f" ] || echo "$f"; done >files.txt
DEBIAN_FRONTEND=noninteractive apt-get purge -y zorva >purge.log 2>&1 || { cat purge.log; exit 1; }
while read -r f; do [ ! -e "$f" ] || { echo "left after purge: $f"; exit 1; }; done <files.txt
! dpkg-query -W zorva >/dev/null 2>&1
CHROOT
INNER
}
if [ "$(id -u)" = 0 ] && command -v unshare >/dev/null && unshare -m true 2>/dev/null; then
  check "apt install ./zorva_*.deb in a copy-on-write root, then purge" installs_with_apt
else
  echo "not root or no mount namespaces: apt install for real skipped (apt-get install -s checked above)"
fi

# ---- the installed copy at work ----
# A user of our own: the snapshots go to the cache folder of this home.
export HOME=$work/home
unset XDG_CACHE_HOME
mkdir -p "$HOME"
find "$root" | sort >"$work/root-before"

# Every plate photo read by the installed copy with the installed bases reads as the build's own copy
# reads it, and most read exactly their file name.
plates_read() {
  local photos=("$source_dir"/tests/samples/plates/*.jpg) exact
  "$cli" plate "${photos[@]}" >"$work/installed.txt" 2>"$work/installed.err" || { cat "$work/installed.err"; return 1; }
  "$build/bin/zorva-cli" plate "${photos[@]}" >"$work/built.txt" 2>/dev/null || return 1
  diff "$work/built.txt" "$work/installed.txt" || return 1
  exact=$(awk -F'\t' '{ n = $1; sub(/.*\//, "", n); sub(/\.jpg$/, "", n); r = $2; gsub(/ /, "", r); if (n == r) c++ }
                       END { print c + 0 }' "$work/installed.txt")
  [ "$exact" -ge 20 ] || { echo "only $exact plates read exactly"; cat "$work/installed.txt"; return 1; }
}
check "zorva-cli plate with the installed bases" plates_read

# Without one of the installed bases the same job says which one and fails: the bases read above
# were the installed ones.
base_missing() {
  local out status
  mv "$root/usr/share/zorva/BazaDan1.zdb" "$work/BazaDan1.zdb"
  out=$("$cli" plate "$source_dir/tests/samples/plates/A495OE06.jpg" 2>&1)
  status=$?
  mv "$work/BazaDan1.zdb" "$root/usr/share/zorva/BazaDan1.zdb"
  [ $status -eq 1 ] && grep -q 'BazaDan1.zdb' <<<"$out" || { echo "status $status: $out"; return 1; }
}
check "a missing installed base is told" base_missing

# A job that undoes keeps its snapshots in ~/.cache/zorva; the installed tree stays as unpacked.
snapshots_in_cache() {
  local photo=$source_dir/tests/samples/plates/A495OE06.jpg
  "$cli" convert "$photo" "$work/photo.bmp" || return 1
  "$cli" apply "$photo" -o "$work/undone.bmp" negative grey undo undo >/dev/null || return 1
  cmp "$work/photo.bmp" "$work/undone.bmp" || return 1
  [ -f "$HOME/.cache/zorva/\$\$\$grVX0.bmp" ] || { echo "no snapshot in ~/.cache/zorva:"; ls -aR "$HOME"; return 1; }
  find "$root" | sort | diff "$work/root-before" - || return 1
}
check "snapshots under ~/.cache/zorva, none in the installed tree" snapshots_in_cache

summary
