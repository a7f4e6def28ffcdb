#!/bin/sh
# Image Hound's whole search as a user sees it, in the real program under
# Xvfb, beside find(1) with the same nine patterns on the same tree:
#
#   the clock starts when Return chooses the folder in the real folder
#   dialog and stops when the summary "N images were found ..." is on the
#   screen (read back from the X server by screen_wait); find runs as
#   find TREE -type f \( -iname '*.bmp' -o ... \) > /dev/null.
#
# Warm cache: both run once before timing, then take turns; medians of the
# runs. Target: ratio <= 1.0. The tree is bench_hound's (100,000 files in
# about 6,000 folders unless a count is given), made in a temporary folder.
#
# With A11Y=1 in the environment the program runs with the accessibility
# bus, as under a screen reader; with WM=1 under a window manager.
#
# usage: xvfb_hound_search.sh <kvoview> <bench_hound> <screen_wait> [files] [runs] [shots folder]
set -eu
bin=$(readlink -f "$1")
bench_hound=$(readlink -f "$2")
screen_wait=$(readlink -f "$3")
files=${4:-100000}
runs=${5:-5}
shots=${6:-}
here=$(dirname "$(readlink -f "$0")")/../tests
. "$here/xvfb_lib.sh"
xvfb_home
tree="$tmp/tree"
QT_QPA_PLATFORM=offscreen "$bench_hound" "$files" "$tree" --make-only
# The program starts in the tree, so the folder dialog opens on it and
# Return chooses it (a typed path would open the dialog's completer, which
# takes the first Return).
printf '[Browser Options]\nPrevious Folder=%s/\n' "$tree" > "$ini"

cat > "$tmp/drive.sh" <<EOS
[ "${WM:-0}" != 1 ] || start_wm
[ "${A11Y:-0}" != 1 ] || start_bus
cd "$tree"
start_main "$bin"
xdotool windowfocus "\$main"; sleep 0.3
# Tools > Image Hound: "h" first reaches the Hex Color Editor, then Image Hound.
xdotool key alt+t; sleep 0.3; xdotool key h; sleep 0.2; xdotool key h; sleep 0.2; xdotool key Return
hound=\$(timeout 20 xdotool search --sync --onlyvisible --limit 1 --name '^Image Hound\$' | head -n 1)
[ -n "\$hound" ] || { echo "Image Hound never appeared"; exit 1; }
sleep 1
eval \$(xdotool getwindowgeometry --shell "\$hound")
# The status text's first line of pixels and the Find button.
region="6 \$((HEIGHT - 16)) 300 10"
ask() {  # clicks Find and waits for the folder dialog
    xdotool mousemove --window "\$hound" 16 15 click 1
    timeout 20 xdotool search --sync --onlyvisible --limit 1 --name '^Choose the root folder' > /dev/null
    sleep 0.8
}
settle() {  # waits until the status text stops changing
    "$screen_wait" grab "\$hound" \$region "$tmp/a"
    while :; do
        sleep 0.5
        "$screen_wait" grab "\$hound" \$region "$tmp/b"
        cmp -s "$tmp/a" "$tmp/b" && break
        mv "$tmp/b" "$tmp/a"
    done
}
timefind() {
    s=\$(date +%s%N)
    find "$tree" -type f \\( -iname '*.bmp' -o -iname '*.dib' -o -iname '*.gif' -o -iname '*.jpg' \\
        -o -iname '*.jpeg' -o -iname '*.ico' -o -iname '*.cur' -o -iname '*.wmf' -o -iname '*.emf' \\) \\
        > /dev/null
    e=\$(date +%s%N)
    echo \$(( (e - s) / 1000000 ))
}
# Warm up both; the summary then on screen is what every later run ends on.
timefind > /dev/null
ask; xdotool key Return; settle
cp "$tmp/a" "$tmp/summary"
[ -z "$shots" ] || import -window "\$hound" "$shots/hound-after-big-search.png"
: > "$tmp/ours"; : > "$tmp/theirs"
i=0
while [ \$i -lt $runs ]; do
    timefind >> "$tmp/theirs"
    ask
    "$screen_wait" time "\$hound" \$region "$tmp/summary" xdotool key Return >> "$tmp/ours"
    sleep 0.5
    i=\$((i + 1))
done
kill \$pid 2>/dev/null || true
EOS
if [ "${A11Y:-0}" = 1 ]; then xvfb_drive --bus; else xvfb_drive; fi

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int(NR / 2) + 1] }'; }
ours=$(median "$tmp/ours")
theirs=$(median "$tmp/theirs")
echo "runs (ms): Image Hound $(tr '\n' ' ' < "$tmp/ours")| find $(tr '\n' ' ' < "$tmp/theirs")"
echo "Image Hound, folder chosen to summary on screen: $ours ms"
echo "find -type f -iname x9:                         $theirs ms"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "ratio %.2f (target <= 1.0)\n", a / b }'
