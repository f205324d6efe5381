#!/usr/bin/env bash
# Without a tray the app shows its capsule at the top centre of the screen. A click on it opens
# the panel below it and a second click closes it; the hot key toggles it; a right click opens the
# menu (and no panel), whose rows open the panel and the app's windows, and whose last row quits.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

start_app "$1"
capsule=$(app_window_sized 38 24) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
check_capsule "$capsule"
panel=$(app_panel_window "$capsule") || exit 1
is_mapped "$panel" && fail "the panel is mapped at launch"
screenshot capsule-1-at-launch
read -r cx cy cw ch < <(window_geometry "$capsule")

# A click opens the panel below the capsule within half a second.
xdotool mousemove --window "$capsule" 19 12
xdotool click 1
# From the moment the click was sent (xdotool's own start-up is not the app's time).
start=$(now_ms)
wait_mapped "$panel" 2000 || fail "a click did not open the panel"
elapsed=$(($(now_ms) - start))
[ "$elapsed" -le 500 ] || fail "the panel took $elapsed ms to open"
check_panel_below "$panel" "$cx" "$cy" "$cw" "$ch"
screenshot capsule-2-panel-open

# Above the others, left out of taskbars and pagers, on every desktop (openbox keeps
# _NET_WM_DESKTOP at 0xFFFFFFFF for a window on all desktops).
state=$(xprop -id "$panel" _NET_WM_STATE)
for atom in _NET_WM_STATE_ABOVE _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER; do
    case "$state" in *"$atom"*) ;; *) fail "panel state lacks $atom: $state" ;; esac
done
desktop=$(xprop -id "$panel" _NET_WM_DESKTOP)
[ "$desktop" = "_NET_WM_DESKTOP(CARDINAL) = 4294967295" ] || fail "panel not on every desktop: $desktop"

xdotool click 1
wait_unmapped "$panel" 2000 || fail "a second click did not close the panel"
is_mapped "$capsule" || fail "the capsule went away with the panel"

# The hot key toggles the panel wherever the pointer is.
xdotool mousemove 200 600
xdotool key super+shift+p
wait_mapped "$panel" 2000 || fail "the hot key did not open the panel"
check_panel_below "$panel" "$cx" "$cy" "$cw" "$ch"
screenshot capsule-3-panel-by-hot-key
xdotool key super+shift+p
wait_unmapped "$panel" 2000 || fail "the hot key did not close the panel"

# menu_rows N: opens the menu on the capsule (no panel opens) and picks its Nth row.
menu_rows() {
    open_menu "$capsule" 19 12 "(to pick row $1)"
    is_mapped "$panel" && fail "a right click opened the panel"
    [ "${2:-}" = screenshot ] && screenshot capsule-4-menu
    pick_menu_row "$1"
}

menu_rows 1 screenshot
wait_mapped "$panel" 2000 || fail "the menu's first row did not open the panel"
xdotool key super+shift+p
wait_unmapped "$panel" 2000 || fail "the hot key did not close the panel opened from the menu"

rows=("Workspace Manager" "Orris Hollows Settings" "Welcome to Orris Hollows")
for i in 0 1 2; do
    menu_rows $((i + 2))
    wait_for_window --onlyvisible --name "^${rows[$i]}\$" >/dev/null
done
screenshot capsule-5-windows-from-menu

# Reload (row 5) keeps the app running; Quit is the last row, after a separator.
menu_rows 5
sleep 0.3
kill -0 "$app_pid" 2>/dev/null || fail "reload ended the app"
menu_rows 6
wait_for_exit 10
echo "PASS"
