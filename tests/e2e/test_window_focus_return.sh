#!/usr/bin/env bash
# A window the panel opens gives the keyboard back when it closes: the settings, opened from the
# panel with Ctrl+, over a terminal, close with Escape and with Ctrl+W, and each time the terminal
# is the active window again with the input focus, so the user's next keys reach it. With the
# manager still open, closing the settings over it leaves the keys in the manager.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
launch_app "$1"
start_terminal shop
terminal=$(xdotool search --name '^user@host: shop$' | head -n 1)
xdotool mousemove 40 780

# focus_on ID: the window manager names ID active and the X input focus is on it.
focus_on() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# open_settings_from_panel: the hot key, then Ctrl+, in the panel; prints the settings window.
open_settings_from_panel() {
    open_panel "$panel"
    xdotool key ctrl+comma
    local settings
    settings=$(wait_for_window --onlyvisible --name 'Settings$') || exit 1
    wait_mapped "$settings" 10000 || fail "the settings window was not mapped"
    poll_10s focus_on "$settings" || fail "the settings window did not take the keys (active: $(xdotool getactivewindow))"
    echo "$settings"
}

for key in Escape ctrl+w; do
    settings=$(open_settings_from_panel) || exit 1
    sleep 0.3
    xdotool key "$key"
    wait_unmapped "$settings" 3000 || fail "$key did not close the settings window"
    poll_10s focus_on "$terminal" ||
        fail "after $key the keys went nowhere (active: $(xdotool getactivewindow 2>&1), focus: $(xdotool getwindowfocus 2>&1), terminal: $terminal)"
    screenshot "focus-return-after-$key"
done

# The manager, then the settings over it from the manager with Ctrl+,: closing the settings hands
# the keys to the manager, closing the manager to the terminal.
open_panel "$panel"
read -r px py pw ph < <(window_geometry "$panel")
click_at $((px + pw / 2)) $((py + ph - 51))
manager=$(wait_for_window --onlyvisible --name '^Workspace Manager$') || exit 1
poll_10s focus_on "$manager" || fail "the manager did not take the keys"
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Settings$') || exit 1
poll_10s focus_on "$settings" || fail "the settings over the manager did not take the keys"
xdotool key ctrl+w
wait_unmapped "$settings" 3000 || fail "Ctrl+W did not close the settings over the manager"
poll_10s focus_on "$manager" || fail "closing the settings left the manager without the keys (active: $(xdotool getactivewindow 2>&1))"
xdotool key ctrl+w
wait_unmapped "$manager" 3000 || fail "Ctrl+W did not close the manager"
poll_10s focus_on "$terminal" || fail "closing the manager left the keys nowhere (active: $(xdotool getactivewindow 2>&1))"
screenshot focus-return-after-manager

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
