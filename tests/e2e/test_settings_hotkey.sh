#!/usr/bin/env bash
# The panel's hot key recorded in the real settings window: Super+Alt+Space is grabbed at once
# (the status line turns green), toggles the panel, and Super+Shift+P no longer does; Reset brings
# Super+Shift+P back. A combination another client holds is refused in red, and the hot key in use
# before keeps working.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ -x "${ORRIS_E2E_GRAB_KEY:-}" ] || fail "ORRIS_E2E_GRAB_KEY does not name the grab helper"

make_home
launch_app "$1"

# The settings window is the third row of the status item's menu.
open_menu "$capsule" 19 12 "(for the settings)"
pick_menu_row 3
settings=$(wait_for_window --onlyvisible --name '^Orris Hollows Settings$') || exit 1
wait_mapped "$settings" 10000 || fail "the settings window was not mapped"
sleep 0.5

# colour_pixels COLOUR: how many pixels of the settings window are close to the colour.
colour_pixels() {
    local x y width height
    read -r x y width height < <(window_geometry "$settings")
    import -window root -crop "${width}x${height}+${x}+${y}" png:- 2>/dev/null |
        convert png:- -fuzz 12% -fill '#ff00ff' -opaque "$1" -fuzz 0 -fill black +opaque '#ff00ff' \
            -fill white -opaque '#ff00ff' -format '%[fx:int(mean*w*h+0.5)]' info:
}
green='rgb(48,209,88)'
red='rgb(255,69,58)'
# wait_for_colour COLOUR WHAT: polls until the status line shows the colour (10 s).
wait_for_colour() {
    local deadline=$(($(now_ms) + 10000))
    while [ "$(colour_pixels "$1")" -lt 20 ]; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the status line never turned $2"
        sleep 0.1
    done
}
# wait_for_stored KEYCODE MODIFIERS: polls the settings file for the stored hot key (10 s).
wait_for_stored() {
    local deadline=$(($(now_ms) + 10000))
    until grep '^OrrisHollows.togglePanelShortcut.v1=' "$app_settings" 2>/dev/null |
        grep -q "keyCode[^0-9]*$1[^0-9].*modifiersRawValue[^0-9]*$2[^0-9]"; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the hot key $1/$2 was not stored: $(grep togglePanel "$app_settings")"
        sleep 0.1
    done
}
# toggles KEYS: succeeds when the keys open the panel and close it again.
toggles() {
    xdotool key "$1"
    wait_mapped "$panel" 2000 || return 1
    sleep 0.3
    xdotool key "$1"
    wait_unmapped "$panel" 2000 || fail "$1 opened the panel but did not close it"
}
# does_not_toggle KEYS: fails when the keys open the panel.
does_not_toggle() {
    xdotool key "$1"
    sleep 1
    if is_mapped "$panel"; then
        fail "$1 still opens the panel"
    fi
}

# Positions inside the 760x640 window (its layout is fixed): the sidebar's Shortcuts row, the
# panel hot key's recorder and the Reset button below the status line.
xdotool mousemove --window "$settings" 60 90 click 1
sleep 0.5
screenshot settings-hotkey-1-default
wait_for_colour "$green" "green for the default"

xdotool mousemove --window "$settings" 660 66 click 1
sleep 0.5
screenshot settings-hotkey-2-recording
xdotool key super+alt+space
wait_for_stored 49 786432
wait_for_colour "$green" "green for Super+Alt+Space"
screenshot settings-hotkey-3-recorded
[ "$(colour_pixels "$red")" -lt 20 ] || fail "the recorded hot key shows red"

toggles super+alt+space || fail "Super+Alt+Space did not open the panel"
does_not_toggle super+shift+p

xdotool mousemove --window "$settings" 236 151 click 1
wait_for_stored 35 393216
sleep 0.5
screenshot settings-hotkey-4-reset
toggles super+shift+p || fail "after Reset, Super+Shift+P did not open the panel"
does_not_toggle super+alt+space

# Another client holds Ctrl+Alt+G with Caps Lock: the app grabs every lock state of a hot key,
# so that one taken state makes the registration fail, while the key pressed without Caps Lock
# still reaches the recorder.
"$ORRIS_E2E_GRAB_KEY" 0x67 0x0e >"$app_home/grab.out" 2>&1 &
extra_pids+=($!)
deadline=$(($(now_ms) + 10000))
until grep -q grabbed "$app_home/grab.out"; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the grab helper did not grab: $(cat "$app_home/grab.out")"
    sleep 0.05
done

xdotool mousemove --window "$settings" 660 66 click 1
sleep 0.5
xdotool key ctrl+alt+g
wait_for_colour "$red" "red for a combination another client holds"
sleep 0.5
screenshot settings-hotkey-5-taken
grep '^OrrisHollows.togglePanelShortcut.v1=' "$app_settings" | grep -q 'keyCode[^0-9]*35[^0-9]' ||
    fail "the refused hot key was stored: $(grep togglePanel "$app_settings")"
toggles super+shift+p || fail "after the refused hot key, Super+Shift+P no longer opens the panel"

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
