#!/usr/bin/env bash
# One instance per home, however the starts come: 30 launches at the same moment leave exactly one
# app running, and every other launch hands its request over and ends with status 0. Also when
# half of them start on a second display, and when the runtime folder is open to everyone (0777)
# with a folder of another user at the socket folder's name.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

starts=30
second_display=""

# start_second_display: a second private X server; sets second_display.
start_second_display() {
    local fifo display=""
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    extra_pids+=($!)
    read -r -t 10 display <"$fifo" || true
    rm -f "$fifo"
    [ -n "$display" ] || fail "the second X server did not start"
    second_display=":$display"
}

# app_processes: the ids of the app's processes that run in this script's home.
app_processes() {
    local pid
    for pid in $(pgrep -x "$(basename "$binary" | cut -c1-15)"); do
        grep -qz "^HOME=$app_home$" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
    done
}

# burst LABEL [ENV...]: starts $starts launches at once (half on the second display when it is set),
# waits for every launch but the one that stays, and checks that one instance runs.
burst() {
    local label=$1
    shift
    make_home
    local statuses pids=() i display
    statuses=$(mktemp -d)
    for i in $(seq 1 "$starts"); do
        display=$DISPLAY
        [ -n "$second_display" ] && [ $((i % 2)) -eq 0 ] && display=$second_display
        (
            env "$@" DISPLAY="$display" HOME="$app_home" XDG_CONFIG_HOME="$app_home/.config" \
                XDG_DATA_HOME="$app_home/.local/share" "$binary" >>"$app_log" 2>&1
            echo $? >"$statuses/$i"
        ) &
        pids+=($!)
    done
    # Every launch but one ends; the one left is the app.
    local deadline=$(($(now_ms) + 60000)) ended
    while :; do
        ended=$(find "$statuses" -type f | wc -l)
        [ "$ended" -ge $((starts - 1)) ] && break
        [ "$(now_ms)" -lt "$deadline" ] || fail "$label: only $ended of $((starts - 1)) launches ended"
        sleep 0.2
    done
    sleep 1
    local running
    running=$(app_processes | wc -l)
    [ "$running" -eq 1 ] || fail "$label: $running instances run in one home"
    [ "$(find "$statuses" -type f | wc -l)" -eq $((starts - 1)) ] || fail "$label: a second instance stayed"
    local bad
    bad=$(cat "$statuses"/* | grep -vc '^0$')
    [ "$bad" -eq 0 ] || fail "$label: $bad launches ended with an error"
    # The one left still answers a later launch.
    app_pid=$(app_processes)
    env "$@" HOME="$app_home" XDG_CONFIG_HOME="$app_home/.config" timeout 15 "$binary" --toggle ||
        fail "$label: a later launch ended with status $?"
    kill -TERM "$app_pid"
    for _ in $(seq 1 200); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$app_pid" 2>/dev/null && fail "$label: the app still runs after SIGTERM"
    for i in "${pids[@]}"; do wait "$i" 2>/dev/null; done
    rm -rf "$statuses"
    cleanup_app
    app_home=""
    app_pid=""
    echo "$label: one instance of $starts starts"
}

binary=$1
burst "one display"
start_second_display
burst "two displays"
second_display=""

# A runtime folder open to everyone, where another user made our socket folder first.
hostile=$(mktemp -d)
chmod 777 "$hostile"
if [ "$(id -u)" -eq 0 ]; then
    mkdir -m 777 "$hostile/orris-hollows"
    chown 65534:65534 "$hostile/orris-hollows"
fi
burst "open runtime folder" XDG_RUNTIME_DIR="$hostile"
rm -rf "$hostile"
echo "PASS"
