#!/usr/bin/env bash
# A tray host that starts after the app takes over from the capsule: the icon is embedded and the
# capsule goes away. When the tray host ends, the capsule comes back and opens the panel again.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

xdotool search --classname trayer >/dev/null 2>&1 && fail "a tray host already runs"
start_app "$1"
capsule=$(app_window_sized 38 24) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
check_capsule "$capsule"
panel=$(app_panel_window "$capsule") || exit 1

trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
extra_pids+=($!)
icon=""
for _ in $(seq 1 200); do
    for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
        has_ancestor_named "$id" panel && icon=$id
    done
    [ -n "$icon" ] && break
    sleep 0.05
done
[ -n "$icon" ] || fail "the icon was not embedded in the tray that started later"
wait_unmapped "$capsule" 2000 || fail "the capsule stays beside the tray icon"
screenshot handover-1-tray-took-over

kill "${extra_pids[0]}"
wait "${extra_pids[0]}" 2>/dev/null
extra_pids=()
capsule=""
for _ in $(seq 1 200); do
    for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
        [ "$(window_geometry "$id" | cut -d' ' -f3-)" = "38 24" ] && capsule=$id
    done
    [ -n "$capsule" ] && break
    sleep 0.05
done
[ -n "$capsule" ] || fail "the capsule did not come back when the tray host ended"
check_capsule "$capsule"

xdotool mousemove --window "$capsule" 19 12 click 1
wait_mapped "$panel" 2000 || fail "a click on the returned capsule did not open the panel"
read -r cx cy cw ch < <(window_geometry "$capsule")
check_panel_below "$panel" "$cx" "$cy" "$cw" "$ch"
screenshot handover-2-capsule-back
kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
