#!/bin/sh
# Windows the main window leaves open outlive it: with the Hex Color Editor
# open, closing the main window leaves the editor and the program running;
# the program ends when the editor closes, which stores its colour.
# usage: xvfb_outlive.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
make_images=$(readlink -f "$2")
. "$(dirname "$(readlink -f "$0")")/xvfb_home.sh"
pics="$tmp/pictures"
mkdir -p "$pics"
"$make_images" "$pics"
printf '[Browser Options]\nPrevious Folder=%s/\n[General Options]\nLast Color=0\n' "$pics" > "$ini"

cat > "$tmp/drive.sh" <<EOS
set -eu
openbox > "$tmp/wm.log" 2>&1 &
sleep 1
"$bin" > "$tmp/out.log" 2>&1 &
pid=\$!
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
xvfb-run -a -s "-screen 0 1280x1024x24" sh "$tmp/drive.sh" || {
    echo "xvfb_outlive: failed"; echo "--- program output"; cat "$tmp/out.log"; exit 1; }

grep -q '^Last Color=255$' "$ini" || {
    echo "xvfb_outlive: the editor's colour was not stored when it closed"; cat "$ini"; exit 1; }
echo "xvfb_outlive: ok"
