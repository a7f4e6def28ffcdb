#!/bin/sh
# Opens the Hex Color Editor in the real program under Xvfb, with the
# accessibility bus running, and reads its three values by their names
# through the bus (a11y_fields.py), as a screen reader would.
# usage: xvfb_a11y_colors.sh <kvoview>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home
printf '[General Options]\nLast Color=33023\n' > "$ini"

cat > "$tmp/drive.sh" <<EOS
check() {
    wait_main || return
    xdotool windowfocus "\$main"; sleep 0.5
    xdotool key ctrl+h
    timeout 120 /usr/bin/python3 "$here/a11y_fields.py" "Kvo View" "Hex Color Editor" \
        "Hexadecimal=FF8000" "Red, green, blue=255,128,0" "Color value=33023"
}
run_checked "$bin" check
EOS
xvfb_drive --bus
