# Sourced by the Xvfb tests: a throwaway HOME and XDG folders under $tmp
# (removed on exit), so nothing of the real user's is read or written, and
# no platform forced: the program talks to the X server like a user's would.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
       XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
ini="$XDG_CONFIG_HOME/Kvo View/settings.ini"
mkdir -p "$XDG_CONFIG_HOME/Kvo View"
