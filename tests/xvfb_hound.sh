#!/bin/sh
# Image Hound in the real program under Xvfb, with the accessibility bus:
# hound_check.py opens it, searches a folder of every picture type through
# the real folder chooser, then clicks each tab and the first GIF result
# where the screen reader says they are, and checks what shows.
# usage: xvfb_hound.sh <kvoview> <make_images> [screenshot folder]
set -eu
bin=$(readlink -f "$1")
make_images=$(readlink -f "$2")
shots=${3:-}
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_home.sh"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
pics="$tmp/pictures"
mkdir -p "$pics"
"$make_images" "$pics" every-type
printf '[Browser Options]\nPrevious Folder=%s/\n' "$pics" > "$ini"
shot=""
[ -z "$shots" ] || shot="$(readlink -f "$shots")/hound-after-search.png"

cat > "$tmp/drive.sh" <<EOS
set -eu
/usr/libexec/at-spi-bus-launcher --launch-immediately > "$tmp/bus.log" 2>&1 &
bus=\$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$bin" > "$tmp/out.log" 2>&1 &
pid=\$!
rc=0
timeout 150 /usr/bin/python3 "$here/hound_check.py" "Kvo View" "$pics/" "$ini" 9 "$shot" || rc=\$?
kill \$pid \$bus 2>/dev/null || true
wait \$pid 2>/dev/null || true
exit \$rc
EOS
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- sh "$tmp/drive.sh" || {
    echo "--- program output"; cat "$tmp/out.log"; exit 1; }
