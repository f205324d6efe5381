# Helpers for the end-to-end scripts, which run under with-display.
# The app binary is the first argument of each script.

fail() {
    echo "FAIL: $*" >&2
    [ -n "${app_log:-}" ] && [ -f "$app_log" ] && sed 's/^/  app: /' "$app_log" >&2
    exit 1
}

# start_app BINARY: starts the app in a fresh temporary home; sets app_pid, app_home, app_log.
start_app() {
    app_home=$(mktemp -d)
    app_log="$app_home/app.log"
    HOME="$app_home" XDG_CONFIG_HOME="$app_home/.config" XDG_DATA_HOME="$app_home/.local/share" \
        "$1" >"$app_log" 2>&1 &
    app_pid=$!
    trap 'kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; rm -rf "$app_home"' EXIT
}

# wait_for_window XDOTOOL_SEARCH_ARGS...: prints the first matching window id, or fails after 10 s.
wait_for_window() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search "$@" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its window appeared"
        sleep 0.1
    done
    fail "no window for: $*"
}

# wait_for_exit SECONDS: fails unless the app ends within the time with status 0.
wait_for_exit() {
    for _ in $(seq 1 $(($1 * 10))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid"
            local status=$?
            [ "$status" -eq 0 ] || fail "the app ended with status $status"
            return 0
        fi
        sleep 0.1
    done
    fail "the app still runs after $1 s"
}

# window_geometry ID: prints "x y width height".
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# has_ancestor_named ID NAME: succeeds when a window above ID (up to the root) has that name.
has_ancestor_named() {
    local id=$1 parent
    for _ in 1 2 3 4 5 6; do
        parent=$(xwininfo -children -id "$id" 2>/dev/null | awk '/Parent window id:/ {print $4; print $5}')
        [ -n "$parent" ] || return 1
        case "$parent" in *"\"$2\""*) return 0 ;; esac
        id=$(echo "$parent" | head -n 1)
        [ "$(xwininfo -root | awk '/Window id:/ {print $4}')" = "$id" ] && return 1
    done
    return 1
}
