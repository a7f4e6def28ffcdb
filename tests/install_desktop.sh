#!/bin/sh
# Installs the build under a temporary prefix and checks what a desktop gets:
# the program and its helper, a valid desktop entry for the nine picture
# types, the icons at every hicolor size, valid AppStream metainfo, and the
# installed program finding its helper from that prefix alone.
# Usage: install_desktop.sh BUILD_DIR HELPER_PROBE
set -eu
build=$1
probe=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
p=$tmp/usr
id=org.example.kvoview

fail() { echo "install_desktop: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$p" >/dev/null
[ -x "$p/bin/kvoview" ] || fail "no bin/kvoview"
[ -x "$p/libexec/kvoview/kvoview-metafile" ] || fail "no libexec/kvoview/kvoview-metafile"

desktop=$p/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
# BMP and DIB, GIF, JPG and JPEG, ICO, CUR, WMF, EMF.
for t in image/bmp image/x-dib image/gif image/jpeg image/vnd.microsoft.icon \
         image/x-win-bitmap image/wmf image/emf; do
    grep -q "^MimeType=\(.*;\)\?$t;" "$desktop" || fail "desktop entry lacks $t"
done
# Files and folders opened with the program reach it as paths.
grep -q "^Exec=kvoview %F$" "$desktop" || fail "desktop entry does not pass the files to kvoview"

for s in 16 22 24 32 48 64 128 256; do
    png=$p/share/icons/hicolor/${s}x${s}/apps/kvoview.png
    [ -s "$png" ] || fail "no ${s}x${s} icon"
    # Width and height from the PNG header, big-endian at bytes 16 and 20.
    size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$size" = "${s}x${s}" ] || fail "${s}x${s} icon is $size"
done
[ -s "$p/share/icons/hicolor/scalable/apps/kvoview.svg" ] || fail "no scalable icon"

appstreamcli validate --no-net "$p/share/metainfo/$id.metainfo.xml" || fail "metainfo does not validate"
appstreamcli validate-tree --no-net "$p" || fail "installed tree does not validate"

# Nothing but the prefix to go by: no build folder, no helper on the PATH.
cp "$probe" "$p/bin/"
found=$(env -u KVO_BUILD_DIR PATH=/usr/bin:/bin "$p/bin/$(basename "$probe")")
[ "$found" = "$p/libexec/kvoview/kvoview-metafile" ] || fail "helper found at '$found'"
echo "install_desktop: ok"
