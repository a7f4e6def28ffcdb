#!/bin/sh
# Image Hound in the real program under Xvfb, with the accessibility bus:
# hound_check.py opens it, searches a folder of every picture type through
# the real folder chooser, then clicks each tab and the first GIF result
# where the screen reader says they are, and checks what shows.
# usage: xvfb_hound.sh <kvoview> <make_images> [screenshot folder]
set -eu
bin=$(readlink -f "$1")
shots=${3:-}
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2" every-type
printf '[Browser Options]\nPrevious Folder=%s/\n' "$pics" > "$ini"
shot=""
[ -z "$shots" ] || shot="$(readlink -f "$shots")/hound-after-search.png"

cat > "$tmp/drive.sh" <<EOS
run_checked "$bin" timeout 150 /usr/bin/python3 "$here/hound_check.py" "Kvo View" "$pics/" "$ini" 9 "$shot"
EOS
xvfb_drive --bus
