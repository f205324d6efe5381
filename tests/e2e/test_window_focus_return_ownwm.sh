#!/usr/bin/env bash
# Under a window manager that hands the keyboard to no window when the active one closes (the
# helper ORRIS_E2E_FORGETFUL_WM; openbox and i3 pick another window themselves, so the app's own
# hand-over shows only here): the settings, opened from the panel with Ctrl+, over a terminal and
# closed with Escape, give the keyboard back to the terminal; the settings opened over the
# manager give it back to the manager, and the manager, closed last, to the terminal. Each time
# the terminal or manager is the active window and holds the X input focus.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ -x "${ORRIS_E2E_FORGETFUL_WM:-}" ] || fail "ORRIS_E2E_FORGETFUL_WM is not set"
make_home
coproc wm { "$ORRIS_E2E_FORGETFUL_WM"; }
extra_pids+=($wm_PID)
read -r -t 10 started <&"${wm[0]}" || true
[ "${started:-}" = managing ] || fail "the window manager did not start"

launch_app "$1"
start_terminal shop
terminal=$(xdotool search --name '^user@host: shop$' | head -n 1)
xdotool mousemove 1200 780

# focus_on ID: the window manager names ID active and the X input focus is on it.
focus_on() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}
# focus_nowhere: what the window manager leaves when the active window goes.
focus_nowhere() {
    [ "$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null)" = "_NET_ACTIVE_WINDOW(WINDOW): window id # 0x0" ]
}
# activate ID: asks the window manager to activate the window (again, until it is viewable and
# takes the keys).
activate() {
    xdotool windowactivate "$1" 2>/dev/null
    focus_on "$1"
}
poll_10s activate "$terminal" || fail "the terminal did not take the keys at the start"

# The window manager itself leaves the keyboard nowhere: a window activated and closed here that
# is not the app's takes it away for good.
xterm -T "passing" -e sleep 60 &
extra_pids+=($!)
passing=$(wait_for_window --name '^passing$') || exit 1
poll_10s activate "$passing" || fail "the passing window did not take the keys"
kill "$!" 2>/dev/null
poll_10s focus_nowhere || fail "the window manager gave the keys to a window by itself"
poll_10s activate "$terminal" || fail "the terminal did not take the keys back"

open_panel "$panel"
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Settings$') || exit 1
wait_mapped "$settings" 10000 || fail "the settings window was not mapped"
poll_10s focus_on "$settings" || fail "the settings window did not take the keys (active: $(xdotool getactivewindow))"
sleep 0.3
xdotool key Escape
wait_unmapped "$settings" 3000 || fail "Escape did not close the settings window"
poll_10s focus_on "$terminal" ||
    fail "after Escape the keys went nowhere (active: $(xprop -root _NET_ACTIVE_WINDOW), focus: $(xdotool getwindowfocus 2>&1), terminal: $terminal)"
screenshot focus-return-ownwm-after-settings

# The manager from the panel's Workspace button, then the settings over it with Ctrl+,.
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
poll_10s focus_on "$manager" ||
    fail "closing the settings left the manager without the keys (active: $(xprop -root _NET_ACTIVE_WINDOW))"
xdotool key ctrl+w
wait_unmapped "$manager" 3000 || fail "Ctrl+W did not close the manager"
poll_10s focus_on "$terminal" ||
    fail "closing the manager left the keys nowhere (active: $(xprop -root _NET_ACTIVE_WINDOW))"
screenshot focus-return-ownwm-after-manager

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
