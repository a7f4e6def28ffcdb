#!/bin/sh
# The viewer in the real program under Xvfb with a window manager: a double
# click on a picture in the file list opens it in the viewer (the main window
# hides), Zoom In from the View menu, Next Image steps to the next file,
# Copy Image puts the picture on the clipboard (read back with xclip), and
# closing the viewer brings the main window back.
# usage: xvfb_viewer.sh <kvoview> <make_images> [screenshot folder]
set -eu
bin=$(readlink -f "$1")
shots=${3:-}
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"
# Three pictures after "..": Banner, sunset, zz; zz is a copy of sunset.
cp "$pics/sunset.jpg" "$pics/zz.jpg"
printf '[Browser Options]\nPrevious Folder=%s/\nDouble Click=True\nLeft=1500\nTop=1200\nWidth=10500\nHeight=8250\nWindowState=0\n' \
    "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
start_wm
start_main "$bin"
viewer() { shown '^Kvo View Viewer - '; }
mainshown() { shown '^Kvo View 1'; }
# The list's rows lie under the toolbars; double-click upwards from below
# the last row until the viewer opens on sunset.jpg (a viewer opened on the
# last row, zz, is closed again).
found=""
y=260
while [ \$y -gt 80 ] && [ -z "\$found" ]; do
    xdotool mousemove --window "\$main" 280 \$y click --repeat 2 --delay 60 1
    if wait_for '^Kvo View Viewer - ' 1 8; then
        name=\$(xdotool getwindowname "\$(viewer)")
        case "\$name" in
            */sunset.jpg) found=\$(viewer) ;;
            *) xdotool windowactivate --sync "\$(viewer)"; xdotool key alt+F4; wait_for '^Kvo View 1' 1 50
               sleep 0.5 ;;
        esac
    fi
    y=\$((y - 6))
done
[ -n "\$found" ] || { echo "no double click opened the viewer on sunset.jpg"; exit 1; }
echo "viewer: \$(xdotool getwindowname "\$found")"
[ -z "\$(mainshown)" ] || { echo "main window still shown beside the viewer"; exit 1; }
sleep 1
xdotool windowactivate --sync "\$found" 2>/dev/null || xdotool windowfocus "\$found"
sleep 0.5
[ -z "$shots" ] || import -window root "$shots/viewer-actual.png"
# Zoom In three times from the View menu: actual size to three times.
for n in 1 2 3; do xdotool key alt+v; sleep 0.4; xdotool key i; sleep 0.6; done
[ -z "$shots" ] || import -window root "$shots/viewer-300.png"
# Next Image: sunset -> zz.
xdotool key alt+v; sleep 0.4; xdotool key n; sleep 1
name=\$(xdotool getwindowname "\$found")
case "\$name" in */zz.jpg) ;; *) echo "Next did not step to zz.jpg: \$name"; exit 1 ;; esac
echo "after Next: \$name"
# Copy Image, read back as PNG: 640 x 400.
xdotool key alt+e; sleep 0.4; xdotool key i; sleep 1
xclip -selection clipboard -t image/png -o > "$tmp/clip.png"
size=\$(/usr/bin/python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "none")' "$tmp/clip.png")
[ "\$size" = "640x400" ] || { echo "clipboard image: \$size"; exit 1; }
echo "clipboard: \$size PNG"
# Closing the viewer shows the main window again.
xdotool key alt+F4
wait_for '^Kvo View 1' 1 50 || { echo "main window not back after closing the viewer"; exit 1; }
[ -z "\$(viewer)" ] || { echo "viewer still open"; exit 1; }
echo "main window back: \$(xdotool getwindowname "\$(mainshown)")"
quit
EOS
xvfb_drive
echo "xvfb viewer: passed"
