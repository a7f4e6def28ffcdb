#!/bin/sh
# Starts the real program under Xvfb with a throwaway HOME, as a user would:
#  1. with no settings: waits for the main window titled with the start
#     folder, closes it with Ctrl+Q and checks the settings written on exit;
#  2. on a folder of pictures: moves into the file list, steps onto the first
#     picture so the preview shows it, closes, and checks that the picture
#     was counted as viewed and the folder remembered.
# usage: xvfb_smoke.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"

# One session: start, wait for the title, type the keys, Ctrl+Q, wait for exit.
session() {
    title=$1
    keys=$2
    cat > "$tmp/drive.sh" <<EOS
pattern=\$(printf '%s' "$title" | sed 's/[][\\.^\$*+?(){}|]/\\\\&/g')
start_main "$bin" "^\$pattern\\\$"
echo "found window: \$(xdotool getwindowname "\$main")"
xdotool windowfocus "\$main"
sleep 0.5
for k in $keys; do xdotool key "\$k"; sleep 0.5; done
quit "\$main"
EOS
    xvfb_drive
}

check() {
    grep -qxF "$1" "$ini" || { echo "settings file lacks: $1"; cat "$ini"; exit 1; }
}

# With no settings the program opens at the root of its own volume.
root=$(df --output=target "$(dirname "$bin")" | tail -n 1)
case "$root" in */) ;; *) root="$root/" ;; esac
session "Kvo View 1.0.53 - $root" ""
[ -f "$ini" ] || { echo "no settings file at $ini"; exit 1; }
check "[Browser Options]"
check "Previous Folder=$root"
check "WindowState=0"
check "Listview View=3"
grep -q '^Width=[0-9]' "$ini" || { echo "no window width saved"; cat "$ini"; exit 1; }

# A folder of pictures: Tab from the folder tree into the list, Down onto
# the first picture, which the preview loads and counts.
printf '[Browser Options]\nPrevious Folder=%s\n' "$pics" > "$ini"
session "Kvo View 1.0.53 - $pics/" "Tab Down"
check "Previous Folder=$pics/"
check "Odometer=1"
echo "xvfb smoke: passed"
