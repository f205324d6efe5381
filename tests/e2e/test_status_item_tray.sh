#!/usr/bin/env bash
# With a tray host the app shows a tray icon and no capsule; a click on the icon opens the panel
# under it and a second click closes it; the icon's menu quits the app from its last row.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

xdotool search --classname trayer >/dev/null 2>&1 || fail "no tray host running (ORRIS_E2E_TRAY=1)"
start_app "$1"
icon=$(wait_for_window --onlyvisible --classname '^orris-hollows$') || exit 1
embedded=no
for _ in $(seq 1 200); do
    if has_ancestor_named "$icon" panel; then
        embedded=yes
        break
    fi
    sleep 0.05
done
[ "$embedded" = yes ] || fail "the icon is not embedded in the tray"
panel=$(app_panel_window "$icon") || exit 1
for id in $(xdotool search --onlyvisible --classname '^orris-hollows$'); do
    [ "$(window_geometry "$id" | cut -d' ' -f3-)" = "38 24" ] && fail "a capsule shows beside the tray icon"
done
screenshot tray-1-icon
read -r ix iy iw ih < <(window_geometry "$icon")

xdotool mousemove --window "$icon" $((iw / 2)) $((ih / 2))
xdotool click 1
# From the moment the click was sent (xdotool's own start-up is not the app's time).
start=$(now_ms)
wait_mapped "$panel" 2000 || fail "a click on the icon did not open the panel"
elapsed=$(($(now_ms) - start))
[ "$elapsed" -le 500 ] || fail "the panel took $elapsed ms to open"
check_panel_below "$panel" "$ix" "$iy" "$iw" "$ih"
screenshot tray-2-panel-open
xdotool click 1
wait_unmapped "$panel" 2000 || fail "a second click did not close the panel"

open_menu "$icon" $((iw / 2)) $((ih / 2))
sleep 0.3
is_mapped "$panel" && fail "a right click opened the panel"
screenshot tray-3-menu
pick_menu_row 6
wait_for_exit 10
echo "PASS"
