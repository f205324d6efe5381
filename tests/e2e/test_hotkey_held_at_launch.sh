#!/usr/bin/env bash
# Another client holds the panel's hot key (Super+Shift+P) before the app starts. No hot key is
# live then: the settings window's status line is red and says so (not that a previous shortcut
# still works), in English and in Chinese, and the status item still opens the panel.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ -x "${ORRIS_E2E_GRAB_KEY:-}" ] || fail "ORRIS_E2E_GRAB_KEY does not name the grab helper"

# colour_pixels WINDOW COLOUR: how many pixels of the window are close to the colour.
colour_pixels() {
    local x y width height
    read -r x y width height < <(window_geometry "$1")
    import -window root -crop "${width}x${height}+${x}+${y}" png:- 2>/dev/null |
        convert png:- -fuzz 12% -fill '#ff00ff' -opaque "$2" -fuzz 0 -fill black +opaque '#ff00ff' \
            -fill white -opaque '#ff00ff' -format '%[fx:int(mean*w*h+0.5)]' info:
}
red='rgb(255,69,58)'
green='rgb(48,209,88)'

# run_once LANGUAGE NAME: launches the app in that interface language with the hot key held,
# checks the shortcuts page and the status item, and quits the app.
run_once() {
    make_home
    set_setting OrrisHollows.interfaceLanguage.v1 "$1"
    "$ORRIS_E2E_GRAB_KEY" 0x70 0x41 >"$app_home/grab.out" 2>&1 &
    extra_pids+=($!)
    local deadline=$(($(now_ms) + 10000))
    until grep -q grabbed "$app_home/grab.out"; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the grab helper did not grab: $(cat "$app_home/grab.out")"
        sleep 0.05
    done

    launch_app "$app_binary"
    open_menu "$capsule" 19 12 "(for the settings)"
    pick_menu_row 3
    settings=$(wait_for_window --onlyvisible --name "$3") || exit 1
    wait_mapped "$settings" 10000 || fail "the settings window was not mapped"
    sleep 0.5
    xdotool mousemove --window "$settings" 60 90 click 1
    deadline=$(($(now_ms) + 10000))
    while [ "$(colour_pixels "$settings" "$red")" -lt 20 ]; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "($1) the status line is not red for a hot key held at launch"
        sleep 0.1
    done
    [ "$(colour_pixels "$settings" "$green")" -lt 20 ] || fail "($1) the status line also shows green"
    sleep 0.3
    screenshot "hotkey-held-at-launch-$2"

    # The status item still opens the panel.
    click_in "$capsule" 19 12
    wait_mapped "$panel" 10000 || fail "($1) the status item did not open the panel"
    wait_geometry_settled "$panel"
    screenshot "hotkey-held-at-launch-$2-panel"

    kill -TERM "$app_pid"
    wait_for_exit 10
    for pid in "${extra_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    extra_pids=()
    rm -rf "$app_home"
    app_home=""
}

app_binary=$1
run_once english en '^Orris Hollows Settings$'
run_once zhHans zh '^Orris Hollows .+$'
echo "PASS"
