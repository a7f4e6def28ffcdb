#!/bin/sh
# The settings dialog and the favourites organizer in the real program under
# Xvfb: F1 opens Settings, Enter presses its default button OK, which writes
# every control back; the Favorites menu's first item opens the organizer,
# and closing it with Escape rewrites the favourites and the main window
# keeps them.
# usage: xvfb_tools.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
make_images=$(readlink -f "$2")
. "$(dirname "$(readlink -f "$0")")/xvfb_home.sh"
pics="$tmp/pictures"
mkdir -p "$pics/holiday"
"$make_images" "$pics"
printf '[Browser Options]\nPrevious Folder=%s/\nDouble Click=False\n[Slideshow Settings]\nSequence=2\n[Favorite Folders]\nHoliday=%s/holiday\n' \
    "$pics" "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
set -eu
openbox > "$tmp/wm.log" 2>&1 &
sleep 1
"$bin" > "$tmp/out.log" 2>&1 &
main=\$(timeout 60 xdotool search --sync --onlyvisible --limit 1 --name '^Kvo View 1' | head -n 1)
[ -n "\$main" ] || { echo "main window never appeared"; exit 1; }
sleep 1.5
shown() { xdotool search --onlyvisible --name "\$1" 2>/dev/null | head -n 1; }
wait_for() {  # title, want (1 shown, 0 gone), tenths of a second
    i=0
    while [ \$i -lt \$3 ]; do
        if [ -n "\$(shown "\$1")" ]; then [ \$2 = 1 ] && return 0; else [ \$2 = 0 ] && return 0; fi
        i=\$((i + 1)); sleep 0.1
    done
    return 1
}
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
xvfb-run -a -s "-screen 0 1280x1024x24" sh "$tmp/drive.sh"

fail() { echo "xvfb_tools: $*"; echo "--- settings:"; cat "$ini"; exit 1; }
# OK wrote what the dialog showed: the stored values, the defaults for the rest.
grep -q '^Double Click=False' "$ini" || fail "Double Click not kept"
grep -q '^Toolbar Visible=True' "$ini" || fail "Toolbar Visible not written"
grep -q '^Show Confrim Dialog=True' "$ini" || fail "file options not written"
grep -q '^Sequence=2' "$ini" || fail "Sequence not kept"
grep -q '^Delay=5' "$ini" || fail "Delay not written"
grep -q "^Holiday=$pics/holiday" "$ini" || fail "favourites lost when the organizer closed"
echo "xvfb_tools: ok"
