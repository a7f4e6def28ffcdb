#!/bin/sh
# Windows the main window leaves open outlive it: with the Hex Color Editor
# open, closing the main window leaves the editor and the program running;
# the program ends when the editor closes, which stores its colour.
# usage: xvfb_outlive.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"
printf '[Browser Options]\nPrevious Folder=%s/\n[General Options]\nLast Color=0\n' "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
start_wm
start_main "$bin"
xdotool windowactivate --sync "\$main"; sleep 0.3
xdotool key ctrl+h
wait_for '^Hex Color Editor\$' 1 100 || { echo "Ctrl+H opened no colour editor"; exit 1; }
sleep 0.5
xdotool windowactivate --sync "\$main"; sleep 0.3
xdotool key ctrl+q
wait_for '^Kvo View 1' 0 100 || { echo "Exit left the main window open"; exit 1; }
sleep 2
kill -0 \$pid 2>/dev/null || { echo "the program ended with the colour editor open"; exit 1; }
editor=\$(shown '^Hex Color Editor\$')
[ -n "\$editor" ] || { echo "the colour editor closed with the main window"; exit 1; }
grep -q '^Last Color=0' "$ini" || { echo "the colour was stored before the editor closed"; exit 1; }
# Red to its top, then the editor's close box.
xdotool windowactivate --sync "\$editor" 2>/dev/null; sleep 0.3
xdotool key End; sleep 0.3
xdotool key alt+F4
i=0
while kill -0 \$pid 2>/dev/null; do
    i=\$((i + 1))
    [ \$i -lt 100 ] || { echo "the program outlived its last window"; kill \$pid; exit 1; }
    sleep 0.1
done
EOS
xvfb_drive

grep -q '^Last Color=255$' "$ini" || {
    echo "xvfb_outlive: the editor's colour was not stored when it closed"; cat "$ini"; exit 1; }
echo "xvfb_outlive: ok"
