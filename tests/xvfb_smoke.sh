#!/bin/sh
# Starts the real program under Xvfb with a throwaway HOME, waits for the
# main window titled with the start folder, closes it from the keyboard as a
# user would (Ctrl+Q) and checks the settings it wrote on the way out.
set -eu
bin=$(readlink -f "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
       XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# With no settings the program opens at the root of its own volume.
root=$(df --output=target "$(dirname "$bin")" | tail -n 1)
case "$root" in */) ;; *) root="$root/" ;; esac
title="Kvo View 1.0.53 - $root"

cat > "$tmp/drive.sh" <<EOS
set -eu
"$bin" > "$tmp/out.log" 2>&1 &
pid=\$!
pattern=\$(printf '%s' "$title" | sed 's/[][\\.^\$*+?(){}|]/\\\\&/g')
wid=\$(timeout 60 xdotool search --sync --onlyvisible --limit 1 --name "^\$pattern\\\$" | head -n 1)
[ -n "\$wid" ] || { echo "main window never appeared"; exit 1; }
echo "found window: \$(xdotool getwindowname "\$wid")"
sleep 1
xdotool windowfocus "\$wid"
sleep 0.5
xdotool key ctrl+q
for i in \$(seq 1 100); do
    kill -0 \$pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 \$pid 2>/dev/null; then
    echo "program still running after Ctrl+Q"
    kill \$pid
    exit 1
fi
wait \$pid
EOS
xvfb-run -a -s "-screen 0 1280x1024x24" sh "$tmp/drive.sh"

ini="$XDG_CONFIG_HOME/Kvo View/settings.ini"
[ -f "$ini" ] || { echo "no settings file at $ini"; cat "$tmp/out.log"; exit 1; }
check() {
    grep -qxF "$1" "$ini" || { echo "settings file lacks: $1"; cat "$ini"; exit 1; }
}
check "[Browser Options]"
check "Previous Folder=$root"
check "WindowState=0"
check "Listview View=3"
grep -q '^Width=[0-9]' "$ini" || { echo "no window width saved"; cat "$ini"; exit 1; }
echo "xvfb smoke: passed"
