#!/usr/bin/env bash
# The status menu and the application's keys: the menu opens with its top-left at the capsule's
# middle and bottom; in the open menu Ctrl+, opens the settings; in the manager Ctrl+, brings the
# settings forward; Ctrl+Q in the settings window ends the app with status 0, and so does Ctrl+Q
# in the open menu or in the panel. (test_status_menu_nocompositor.sh runs this without a compositor.)
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# menu_at_capsule: opens the menu and checks where it is.
menu_at_capsule() {
    local mx my
    open_menu "$capsule" 19 12 "$1"
    wait_geometry_settled "$menu"
    read -r cx cy cw ch < <(window_geometry "$capsule")
    read -r mx my _ _ < <(window_geometry "$menu")
    [ $((mx - (cx + cw / 2))) -ge -2 ] && [ $((mx - (cx + cw / 2))) -le 2 ] &&
        [ $((my - (cy + ch))) -ge -2 ] && [ $((my - (cy + ch))) -le 2 ] ||
        fail "the menu is at $mx,$my; the capsule's middle and bottom is $((cx + cw / 2)),$((cy + ch))"
}

launch_app "$1"
menu_at_capsule "(first)"
screenshot status-menu-1-open
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Orris Hollows Settings') || exit 1
screenshot status-menu-2-settings-from-menu
xdotool windowactivate --sync "$settings" 2>/dev/null
xdotool key alt+F4
wait_unmapped "$settings" 5000 || fail "Alt+F4 did not close the settings"

# The manager (the menu's second row), then Ctrl+, there.
menu_at_capsule "(for the manager)"
pick_menu_row 2
manager=$(wait_for_window --onlyvisible --name '^Workspace Manager$') || exit 1
sleep 0.5
xdotool windowactivate --sync "$manager" 2>/dev/null
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Orris Hollows Settings') || exit 1
poll_10s test "$(xdotool getactivewindow)" = "$settings" ||
    fail "the settings are not the active window after Ctrl+, in the manager"
screenshot status-menu-3-settings-from-manager

# Ctrl+Q in the settings window ends the app.
xdotool key ctrl+q
wait_for_exit 5

# Ctrl+Q in the open menu ends it too.
launch_app "$1"
menu_at_capsule "(to quit)"
xdotool key ctrl+q
wait_for_exit 5

# And Ctrl+Q in the panel.
launch_app "$1"
open_panel "$panel"
xdotool key ctrl+q
wait_for_exit 5
echo "PASS"
