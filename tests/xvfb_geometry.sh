#!/bin/sh
# Starts and closes the real program five times under Xvfb with a window
# manager (openbox) framing it, and checks that the window comes back where
# and as big as it was left: "Left", "Top", "Width", "Height" unchanged over
# the cycles, each exactly as asked for; then that a maximised window comes back maximised and keeps
# the normal geometry it had, to be found again when taken back to normal.
# usage: xvfb_geometry.sh <kvoview>
set -eu
bin=$(readlink -f "$1")
. "$(dirname "$(readlink -f "$0")")/xvfb_home.sh"
mkdir -p "$tmp/pictures"

geometry() {
    grep -E '^(Left|Top|Width|Height|WindowState)=' "$ini" | sort | tr '\n' ' '
}

# Runs inside one X server: the window manager, then the cycles.
cat > "$tmp/drive.sh" <<EOS
set -eu
openbox > "$tmp/wm.log" 2>&1 &
sleep 1
cycle() {
    restore=\${1:-}
    "$bin" > "$tmp/out.log" 2>&1 &
    pid=\$!
    wid=\$(timeout 60 xdotool search --sync --onlyvisible --limit 1 --name '^Kvo View' | head -n 1)
    [ -n "\$wid" ] || { echo "main window never appeared"; exit 1; }
    # Lets the manager frame and place the window before it is closed.
    sleep 1.5
    xprop -id "\$wid" _NET_WM_STATE > "$tmp/state"
    if [ -n "\$restore" ]; then
        # A double click on the title bar takes a maximised window back.
        xdotool mousemove 640 8 click --repeat 2 --delay 80 1
        sleep 1.5
    fi
    xdotool windowactivate --sync "\$wid" 2>/dev/null || xdotool windowfocus "\$wid"
    sleep 0.3
    xdotool key ctrl+q
    for i in \$(seq 1 100); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 \$pid 2>/dev/null; then echo "still running after Ctrl+Q"; kill \$pid; exit 1; fi
    wait \$pid
}
first="Height=8250 Left=1500 Top=1200 Width=10500 WindowState=0 "
for n in 1 2 3 4 5; do
    cycle
    now=\$(grep -E '^(Left|Top|Width|Height|WindowState)=' "$ini" | sort | tr '\n' ' ')
    echo "cycle \$n: \$now"
    [ "\$now" = "\$first" ] || { echo "geometry drifted"; exit 1; }
done

# Maximised: comes back maximised, and the normal geometry stays as it was.
sed -i 's/^WindowState=.*/WindowState=2/' "$ini"
for n in 1 2; do
    cycle
    grep -q _NET_WM_STATE_MAXIMIZED_VERT "$tmp/state" || { echo "not maximised:"; cat "$tmp/state"; exit 1; }
    now=\$(grep -E '^(Left|Top|Width|Height|WindowState)=' "$ini" | sort | tr '\n' ' ')
    echo "maximised \$n: \$now"
    want=\$(printf '%s' "\$first" | sed 's/WindowState=0/WindowState=2/')
    [ "\$now" = "\$want" ] || { echo "maximised run changed the normal geometry"; exit 1; }
done
# Taken back to normal, it has the normal geometry it was left with.
cycle restore
now=\$(grep -E '^(Left|Top|Width|Height|WindowState)=' "$ini" | sort | tr '\n' ' ')
echo "restored: \$now"
[ "\$now" = "\$first" ] || { echo "restored window lost its normal geometry"; exit 1; }
EOS
printf '[Browser Options]\nPrevious Folder=%s/\nLeft=1500\nTop=1200\nWidth=10500\nHeight=8250\nWindowState=0\n' \
    "$tmp/pictures" > "$ini"
xvfb-run -a -s "-screen 0 1280x1024x24" sh "$tmp/drive.sh" || {
    echo "--- program output"; cat "$tmp/out.log"; exit 1; }
echo "xvfb geometry: passed"
