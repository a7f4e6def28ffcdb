#!/bin/sh
# The settings dialog and the favourites organizer in the real program under
# Xvfb: F1 opens Settings, Enter presses its default button OK, which writes
# every control back; the Favorites menu's first item opens the organizer,
# and closing it with Escape rewrites the favourites and the main window
# keeps them.
# usage: xvfb_tools.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"
mkdir -p "$pics/holiday"
printf '[Browser Options]\nPrevious Folder=%s/\nDouble Click=False\n[Slideshow Settings]\nSequence=2\n[Favorite Folders]\nHoliday=%s/holiday\n' \
    "$pics" "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
start_wm
start_main "$bin"
xdotool windowactivate --sync "\$main"; sleep 0.3
xdotool key F1
wait_for '^Settings\$' 1 100 || { echo "F1 opened no settings dialog"; exit 1; }
sleep 0.5
xdotool key Return
wait_for '^Settings\$' 0 100 || { echo "OK left the settings dialog open"; exit 1; }
xdotool windowactivate --sync "\$main"; sleep 0.3
xdotool key alt+a; sleep 0.5; xdotool key Left Left; sleep 0.5; xdotool key Return
wait_for '^Orgainze Favorites\$' 1 100 || { echo "the Favorites menu opened no organizer"; exit 1; }
sleep 0.5
xdotool key Escape
wait_for '^Orgainze Favorites\$' 0 100 || { echo "Escape left the organizer open"; exit 1; }
xdotool windowactivate --sync "\$main"; sleep 0.3
xdotool key ctrl+q 2>/dev/null || true
xdotool windowclose "\$main" 2>/dev/null || true
sleep 1
EOS
xvfb_drive

fail() { echo "xvfb_tools: $*"; echo "--- settings:"; cat "$ini"; exit 1; }
# OK wrote what the dialog showed: the stored values, the defaults for the rest.
grep -q '^Double Click=False' "$ini" || fail "Double Click not kept"
grep -q '^Toolbar Visible=True' "$ini" || fail "Toolbar Visible not written"
grep -q '^Show Confrim Dialog=True' "$ini" || fail "file options not written"
grep -q '^Sequence=2' "$ini" || fail "Sequence not kept"
grep -q '^Delay=5' "$ini" || fail "Delay not written"
grep -q "^Holiday=$pics/holiday" "$ini" || fail "favourites lost when the organizer closed"
echo "xvfb_tools: ok"
