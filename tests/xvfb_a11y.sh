#!/bin/sh
# Starts the real program under Xvfb on its own session bus with the
# accessibility bus running, and reads the main window and then the viewer
# through it as a screen reader would (a11y_check.py), on a folder of pictures.
# usage: xvfb_a11y.sh <kvoview> <make_images>
set -eu
bin=$(readlink -f "$1")
make_images=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")
. "$(dirname "$(readlink -f "$0")")/xvfb_home.sh"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
pics="$tmp/pictures"
mkdir -p "$pics"
"$make_images" "$pics"
items=$(ls -A "$pics" | wc -l)
printf '[Browser Options]\nPrevious Folder=%s\n' "$pics" > "$XDG_CONFIG_HOME/Kvo View/settings.ini"

cat > "$tmp/drive.sh" <<EOS
set -eu
/usr/libexec/at-spi-bus-launcher --launch-immediately > "$tmp/bus.log" 2>&1 &
bus=\$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$bin" > "$tmp/out.log" 2>&1 &
pid=\$!
rc=0
timeout 120 /usr/bin/python3 "$here/a11y_check.py" "Kvo View" "Kvo View 1" "Total $items Item(s)" \
    20 Folders Files || rc=\$?
if [ \$rc -eq 0 ]; then
    # Onto the first picture, then File > Open shows it in the viewer.
    wid=\$(xdotool search --onlyvisible --name '^Kvo View 1' | head -n 1)
    xdotool windowfocus "\$wid"; sleep 0.5
    xdotool key Tab; sleep 0.3; xdotool key Down; sleep 0.8; xdotool key ctrl+o
    timeout 120 /usr/bin/python3 "$here/a11y_check.py" "Kvo View" "Kvo View Viewer - " "" \
        12 Picture || rc=\$?
fi
kill \$pid \$bus 2>/dev/null || true
wait \$pid 2>/dev/null || true
exit \$rc
EOS
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- sh "$tmp/drive.sh" || {
    echo "--- program output"; cat "$tmp/out.log"; exit 1; }
