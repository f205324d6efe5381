#!/usr/bin/env bash
# With a tray host the app shows a tray icon; its context menu quits the app.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

xdotool search --classname trayer >/dev/null 2>&1 || fail "no tray host running (ORRIS_E2E_TRAY=1)"
start_app "$1"
icon=$(wait_for_window --onlyvisible --classname '^orris-hollows$')
embedded=no
for _ in $(seq 1 100); do
    if has_ancestor_named "$icon" panel; then
        embedded=yes
        break
    fi
    sleep 0.1
done
[ "$embedded" = yes ] || fail "the icon is not embedded in the tray"

xdotool mousemove --window "$icon" 11 11 click 3
sleep 0.5
xdotool key Down Return
wait_for_exit 10
echo "PASS"
