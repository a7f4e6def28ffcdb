#!/bin/sh
# "Open with Kvo View" as a desktop does it: installs the build under a
# temporary prefix, takes the installed desktop entry's Exec line, puts the
# paths where its %F stands and runs that under Xvfb with a window manager.
# A picture opens in the viewer (the main window stands aside, and comes
# back on its folder when the viewer closes); a folder is listed in the
# main window; a missing path leaves the saved folder and is named in a
# message.
# usage: xvfb_open_with.sh <build dir> <make_images>
set -eu
build=$(readlink -f "$1")
make_images=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")
. "$here/xvfb_lib.sh"
xvfb_home
prefix="$tmp/usr"
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop="$prefix/share/applications/org.example.kvoview.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
echo "Exec=$exec_line"
# A space in the folder's name: each path must stay one argument.
pics="$tmp/My Pictures"
mkdir -p "$pics" "$tmp/saved"
"$make_images" "$pics"
printf '[Browser Options]\nPrevious Folder=%s/\nLeft=1500\nTop=1200\nWidth=10500\nHeight=8250\nWindowState=0\n' \
    "$tmp/saved" > "$ini"

cat > "$tmp/drive.sh" <<'EOS'
start_wm
PATH="$prefix/bin:$PATH"
# The Exec line with %F replaced by the paths given, each one argument.
run_entry() {
    set -f
    words=$exec_line
    set +f
    cmd=""
    for w in $words; do
        if [ "$w" = "%F" ]; then
            for p in "$@"; do cmd="$cmd '$p'"; done
        else
            cmd="$cmd $w"
        fi
    done
    echo "running:$cmd"
    eval "$cmd" > "$tmp/out.log" 2>&1 &
    pid=$!
}
# The message box: titled like the splash, but not the splash's size.
message() {
    for w in $(xdotool search --onlyvisible --name '^Kvo View$' 2>/dev/null); do
        xdotool getwindowgeometry "$w" | grep -q 'Geometry: 441x200' || { echo "$w"; return; }
    done
}
wait_for_message() {
    i=0
    while [ $i -lt 150 ]; do [ -n "$(message)" ] && return 0; i=$((i + 1)); sleep 0.1; done
    return 1
}
title_is() {  # expected main-window title
    got=$(xdotool getwindowname "$(shown '^Kvo View 1')")
    [ "$got" = "$1" ] || { echo "main window title: '$got', expected '$1'"; exit 1; }
    echo "main window: $got"
}

# A picture: the viewer on it, the main window hidden behind it.
run_entry "$pics/sunset.jpg"
wait_for '^Kvo View Viewer - ' 1 300 || { echo "no viewer opened"; exit 1; }
viewer=$(shown '^Kvo View Viewer - ')
name=$(xdotool getwindowname "$viewer")
case "$name" in *"/My Pictures/sunset.jpg") ;; *) echo "viewer on: $name"; exit 1 ;; esac
echo "viewer: $name"
[ -z "$(shown '^Kvo View 1')" ] || { echo "main window shown beside the viewer"; exit 1; }
sleep 1
xdotool windowactivate --sync "$viewer" 2>/dev/null || xdotool windowfocus "$viewer"
sleep 0.3
xdotool key alt+F4
wait_for '^Kvo View 1' 1 50 || { echo "main window not back after the viewer"; exit 1; }
title_is "Kvo View 1.0.53 - $pics/"
quit

# A folder: listed in the main window, no viewer.
run_entry "$pics"
wait_for '^Kvo View 1' 1 300 || { echo "main window never appeared"; exit 1; }
sleep 1.5
title_is "Kvo View 1.0.53 - $pics/"
[ -z "$(shown '^Kvo View Viewer - ')" ] || { echo "viewer opened for a folder"; exit 1; }
quit

# A path that is not there: the saved folder, and a message naming the path
# once the splash has gone.
sed -i "s|^Previous Folder=.*|Previous Folder=$tmp/saved/|" "$ini"
run_entry "$pics/gone.jpg"
wait_for '^Kvo View 1' 1 300 || { echo "main window never appeared"; exit 1; }
wait_for_message || { echo "no message about the missing path"; exit 1; }
echo "message shown"
title_is "Kvo View 1.0.53 - $tmp/saved/"
xdotool windowactivate --sync "$(message)" 2>/dev/null || true
sleep 0.3
xdotool key Return
sleep 0.5
[ -z "$(message)" ] || { echo "message still open"; exit 1; }
quit
EOS
export prefix exec_line pics ini
xvfb_drive
echo "xvfb open with: passed"
