#!/bin/sh
# Starts and closes the real program five times under Xvfb with a window
# manager (openbox) framing it, and checks that the window comes back where
# and as big as it was left: "Left", "Top", "Width", "Height" unchanged over
# the cycles, each exactly as asked for; then that a maximised window comes back maximised and keeps
# the normal geometry it had, to be found again when taken back to normal.
# usage: xvfb_geometry.sh <kvoview>
set -eu
bin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home
mkdir -p "$tmp/pictures"

# Runs inside one X server: the window manager, then the cycles.
cat > "$tmp/drive.sh" <<EOS
start_wm
geometry() {
    grep -E '^(Left|Top|Width|Height|WindowState)=' "$ini" | sort | tr '\n' ' '
}
cycle() {
    restore=\${1:-}
    start_main "$bin" '^Kvo View'
    xprop -id "\$main" _NET_WM_STATE > "$tmp/state"
    if [ -n "\$restore" ]; then
        # A double click on the title bar takes a maximised window back.
        xdotool mousemove 640 8 click --repeat 2 --delay 80 1
        sleep 1.5
    fi
    quit
}
first="Height=8250 Left=1500 Top=1200 Width=10500 WindowState=0 "
for n in 1 2 3 4 5; do
    cycle
    now=\$(geometry)
    echo "cycle \$n: \$now"
    [ "\$now" = "\$first" ] || { echo "geometry drifted"; exit 1; }
done

# Maximised: comes back maximised, and the normal geometry stays as it was.
sed -i 's/^WindowState=.*/WindowState=2/' "$ini"
for n in 1 2; do
    cycle
    grep -q _NET_WM_STATE_MAXIMIZED_VERT "$tmp/state" || { echo "not maximised:"; cat "$tmp/state"; exit 1; }
    now=\$(geometry)
    echo "maximised \$n: \$now"
    want=\$(printf '%s' "\$first" | sed 's/WindowState=0/WindowState=2/')
    [ "\$now" = "\$want" ] || { echo "maximised run changed the normal geometry"; exit 1; }
done
# Taken back to normal, it has the normal geometry it was left with.
cycle restore
now=\$(geometry)
echo "restored: \$now"
[ "\$now" = "\$first" ] || { echo "restored window lost its normal geometry"; exit 1; }
EOS
printf '[Browser Options]\nPrevious Folder=%s/\nLeft=1500\nTop=1200\nWidth=10500\nHeight=8250\nWindowState=0\n' \
    "$tmp/pictures" > "$ini"
xvfb_drive
echo "xvfb geometry: passed"
