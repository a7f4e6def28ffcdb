#!/bin/sh
# Opens the Hex Color Editor in the real program under Xvfb, with the
# accessibility bus running, and reads its three values by their names
# through the bus (a11y_fields.py), as a screen reader would.
# usage: xvfb_a11y_colors.sh <kvoview>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_home.sh"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
printf '[General Options]\nLast Color=33023\n' > "$ini"

cat > "$tmp/drive.sh" <<EOS
set -eu
/usr/libexec/at-spi-bus-launcher --launch-immediately > "$tmp/bus.log" 2>&1 &
bus=\$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$bin" > "$tmp/out.log" 2>&1 &
pid=\$!
rc=0
main=\$(timeout 60 xdotool search --sync --onlyvisible --limit 1 --name '^Kvo View 1' | head -n 1)
if [ -z "\$main" ]; then
    echo "main window never appeared"; rc=1
else
    sleep 1.5
    xdotool windowfocus "\$main"; sleep 0.5
    xdotool key ctrl+h
    timeout 120 /usr/bin/python3 "$here/a11y_fields.py" "Kvo View" "Hex Color Editor" \
        "Hexadecimal=FF8000" "Red, green, blue=255,128,0" "Color value=33023" || rc=\$?
fi
kill \$pid \$bus 2>/dev/null || true
wait \$pid 2>/dev/null || true
exit \$rc
EOS
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- sh "$tmp/drive.sh" || {
    echo "--- program output"; cat "$tmp/out.log"; exit 1; }
