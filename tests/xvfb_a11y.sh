#!/bin/sh
# Starts the real program under Xvfb on its own session bus with the
# accessibility bus running, and reads the main window and then the viewer
# through it as a screen reader would (a11y_check.py), on a folder of pictures.
# usage: xvfb_a11y.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"
items=$(ls -A "$pics" | wc -l)
printf '[Browser Options]\nPrevious Folder=%s\n' "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
check() {
    timeout 120 /usr/bin/python3 "$here/a11y_check.py" "Kvo View" "Kvo View 1" "Total $items Item(s)" \
        20 Folders Files || return
    # Onto the first picture, then File > Open shows it in the viewer.
    xdotool windowfocus "\$(shown '^Kvo View 1')"; sleep 0.5
    xdotool key Tab; sleep 0.3; xdotool key Down; sleep 0.8; xdotool key ctrl+o
    timeout 120 /usr/bin/python3 "$here/a11y_check.py" "Kvo View" "Kvo View Viewer - " "" 12 Picture
}
run_checked "$bin" check
EOS
xvfb_drive --bus
