# Sourced by the Xvfb tests, twice: by the test script, which calls
# xvfb_home, makes its pictures and settings and writes $tmp/drive.sh; and by
# that drive script inside the X server, for the helpers that start, find and
# close the program. Defines functions only.

# [make_images [kind]]: a throwaway HOME and XDG folders under $tmp (removed
# on exit), so nothing of the real user's is read or written, and no platform
# forced: the program talks to the X server like a user's would. $ini is its
# settings file. With make_images, generated pictures in $pics as well.
xvfb_home() {
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
           XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
    ini="$XDG_CONFIG_HOME/Kvo View/settings.ini"
    mkdir -p "$XDG_CONFIG_HOME/Kvo View"
    [ $# -eq 0 ] || make_pictures "$@"
}

# make_images [kind]: generated pictures in $pics ($tmp/pictures).
make_pictures() {
    pics="$tmp/pictures"
    mkdir -p "$pics"
    maker=$1
    shift
    "$maker" "$pics" "$@"
}

# [--bus]: runs $tmp/drive.sh in a fresh X server (with --bus on a session
# bus of its own), strictly (set -eu) and with this file's helpers (found in
# $here); shows the program's output and fails when it fails.
xvfb_drive() {
    export tmp
    on_bus=""
    if [ "${1:-}" = --bus ]; then
        unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
        on_bus="dbus-run-session --"
    fi
    xvfb-run -a -s "-screen 0 1280x1024x24" $on_bus \
        sh -euc '. "$1"; . "$2"' drive "$here/xvfb_lib.sh" "$tmp/drive.sh" || {
        echo "--- program output"; cat "$tmp/out.log"; exit 1; }
}

# In the drive script:

# The accessibility bus, its id in $bus; programs started after it use it.
start_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately > "$tmp/bus.log" 2>&1 &
    bus=$!
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
    sleep 1
}

# The window manager.
start_wm() {
    openbox > "$tmp/wm.log" 2>&1 &
    sleep 1
}

# program: starts it, its output in out.log, its id in $pid.
start_program() {
    "$1" > "$tmp/out.log" 2>&1 &
    pid=$!
}

# [title pattern]: waits for the main window, its id in $main, and lets the
# window manager frame, place and (maximised) size it; fails when it never
# shows.
wait_main() {
    # A window that goes while xdotool looks at it (the splash closing) ends
    # xdotool with an X error: look again, for a minute at most.
    main=
    end=$(($(date +%s) + 60))
    while [ -z "$main" ] && [ "$(date +%s)" -lt $end ]; do
        main=$(timeout $((end - $(date +%s) + 1)) xdotool search --sync --onlyvisible \
            --limit 1 --name "${1:-^Kvo View 1}" 2>/dev/null | head -n 1)
        [ -n "$main" ] || sleep 0.5
    done
    [ -n "$main" ] || { echo "main window never appeared"; return 1; }
    sleep 1.5
}

# title pattern: the first visible window whose title matches.
shown() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# title pattern, want (1 shown, 0 gone), tenths of a second.
wait_for() {
    i=0
    while [ $i -lt $3 ]; do
        if [ -n "$(shown "$1")" ]; then [ $2 = 1 ] && return 0; else [ $2 = 0 ] && return 0; fi
        i=$((i + 1)); sleep 0.1
    done
    return 1
}

# [window]: Ctrl+Q to the main window (the one shown unless given), then
# waits for the program to end.
quit() {
    w=${1:-$(shown '^Kvo View 1')}
    xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
    sleep 0.3
    xdotool key ctrl+q
    for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "still running after Ctrl+Q"; kill $pid; exit 1; fi
    wait $pid
}

# program [title pattern]: starts it and waits for its main window, as
# wait_main does.
start_main() {
    start_program "$1"
    shift
    wait_main "$@"
}

# program, check...: starts the accessibility bus and the program, runs the
# check, ends both whatever state they are in, and exits with the check's
# status.
run_checked() {
    start_bus
    start_program "$1"
    shift
    rc=0
    "$@" || rc=$?
    kill $pid $bus 2>/dev/null || true
    wait $pid 2>/dev/null || true
    exit $rc
}
