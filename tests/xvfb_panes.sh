#!/bin/sh
# The panes of the main window across restarts, in the real program under
# Xvfb with a window manager (openbox), normal and maximised, with the
# preview to the right and below: the first start gives the folder tree and
# the list their designed 200 pixels (3000 twips), a drag of the list's bar
# moves it, and the next start brings the list back at the dragged size.
# The panes are measured through the accessibility bus (pane_sizes.py).
# usage: xvfb_panes.sh <kvoview> <make_images> [screenshot folder]
set -eu
bin=$(readlink -f "$1")
shots=${3:-}
[ -z "$shots" ] || shots=$(readlink -f "$shots")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home "$2"
export bin shots here ini pics

cat > "$tmp/drive.sh" <<'EOS'
start_bus
start_wm
start() {
    start_main "$bin"
    measure
}
measure() {
    timeout 90 /usr/bin/python3 "$here/pane_sizes.py" "Kvo View 1" > "$tmp/panes"
}
size() {  # pane, w or h
    awk -v p="$1" -v a="$2" '$1 == p { print (a == "w") ? $4 : $5 }' "$tmp/panes"
}
at() {  # pane, x or y
    awk -v p="$1" -v a="$2" '$1 == p { print (a == "x") ? $2 : $3 }' "$tmp/panes"
}
expect() {  # what, got, wanted
    [ "$2" = "$3" ] || { echo "$1: $2 pixels, expected $3"; cat "$tmp/panes"; exit 1; }
}

for case in "Right 0" "Bottom 0" "Right 2" "Bottom 2"; do
    set -- $case
    position=$1 state=$2
    printf '[Browser Options]\nPrevious Folder=%s/\nPreview Position=%s\nLeft=1500\nTop=1200\nWidth=10500\nHeight=8250\nWindowState=%s\n' \
        "$pics" "$position" "$state" > "$ini"
    if [ "$position" = Bottom ]; then axis=h; else axis=w; fi

    start
    expect "$case: folder tree" "$(size Folders w)" 200
    expect "$case: list" "$(size Files $axis)" 200
    # Drags the list's bar 60 pixels on, from its middle.
    if [ $axis = w ]; then
        x=$(( $(at Files x) + $(size Files w) + 1 )); y=$(( $(at Files y) + $(size Files h) / 2 ))
        dx=60 dy=0
    else
        x=$(( $(at Files x) + $(size Files w) / 2 )); y=$(( $(at Files y) + $(size Files h) + 1 ))
        dx=0 dy=60
    fi
    xdotool mousemove $x $y mousedown 1
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((x + dx * step / 6)) $((y + dy * step / 6)); sleep 0.05
    done
    xdotool mouseup 1
    sleep 0.5
    measure
    dragged=$(size Files $axis)
    [ "$dragged" -ge 255 ] && [ "$dragged" -le 261 ] || {
        echo "$case: the drag left the list at $dragged pixels"; exit 1; }
    quit

    start
    expect "$case: folder tree after a restart" "$(size Folders w)" 200
    expect "$case: list after a restart" "$(size Files $axis)" "$dragged"
    echo "$case: tree 200, list 200, dragged to $dragged and back at $(size Files $axis) after a restart"
    if [ -n "$shots" ] && [ "$case" = "Bottom 0" ]; then
        # A picture in the preview: the row below "..", by the arrow key.
        xdotool mousemove $(( $(at Files x) + 60 )) $(( $(at Files y) + 30 )) click 1
        sleep 0.3
        xdotool key Down
        # The splash has gone by then.
        sleep 3
        import -window root "$shots/restart-bottom.png"
    fi
    quit
done
kill $bus 2>/dev/null || true
EOS
xvfb_drive --bus
echo "xvfb panes: passed"
