#!/usr/bin/env bash
# The first run with real settings files, each case in a home of its own:
# - a fresh home shows the welcome guide once the first load is done; Escape (Later) stores the
#   flag, and after a restart no guide shows;
# - a home that only has the copy flag, or one with a saved workspace file, shows no guide and
#   the welcome key is written at start;
# - a hot key set in the settings shows in step 1 of the guide, and is the one that opens the panel;
# - the checklist card ticks the binding step when its menu binds the terminal and the copy step
#   when a prompt is copied; Done hides it, also after a restart;
# - the guide and the card in Simplified Chinese.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

app=$1
welcome_key=OrrisHollows.firstRunWelcomeCompleted.v1
# Guide pictures outlive the home of their case; the display helper removes this folder.
shots="${XDG_RUNTIME_DIR:?}/first-run-shots"
mkdir -p "$shots"

# next_home: ends the app of the case before, then makes a home without the welcome flag.
next_home() {
    cleanup_app
    app_pid=""
    extra_pids=()
    make_home
    sed -i "/^$welcome_key=/d" "$app_settings"
}

stop_app() {
    kill -TERM "$app_pid"
    wait_for_exit 10
}

# start_and_wait_capsule: starts the app and waits for its status item and its hidden panel (its
# one other window besides a 720x540 guide); sets capsule and panel.
start_and_wait_capsule() {
    local id found
    start_app "$app"
    capsule=$(app_window_sized 38 24) || exit 1
    panel=""
    for _ in $(seq 1 200); do
        found=()
        for id in $(xdotool search --classname '^orris-hollows$' 2>/dev/null); do
            [ "$id" != "$capsule" ] && [ "$(window_geometry "$id" | cut -d' ' -f3-)" != "720 540" ] && found+=("$id")
        done
        [ ${#found[@]} -eq 1 ] && panel=${found[0]} && break
        [ ${#found[@]} -gt 1 ] && fail "more than one window besides the status item and the guide: ${found[*]}"
        sleep 0.05
    done
    [ -n "$panel" ] || fail "no panel window"
    wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
}

# wait_for_setting KEY VALUE: polls the settings file for the line, 10 s.
wait_for_setting() {
    local deadline=$(($(now_ms) + 10000))
    until grep -q "^$1=$2\$" "$app_settings"; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "no $1=$2 in the settings: $(cat "$app_settings")"
        sleep 0.1
    done
}

# mapped_welcome: prints the mapped 720x540 guide window of the app, if any.
mapped_welcome() {
    local id
    for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
        [ "$(window_geometry "$id" | cut -d' ' -f3-)" = "720 540" ] && echo "$id" && return 0
    done
    return 1
}

# wait_for_welcome: waits 10 s for the guide; sets welcome.
wait_for_welcome() {
    local deadline=$(($(now_ms) + 10000))
    until welcome=$(mapped_welcome); do
        [ "$(now_ms)" -lt "$deadline" ] || fail "no welcome guide showed"
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended"
        sleep 0.1
    done
    # Let it paint before anyone looks at it.
    sleep 0.5
}

# open_panel_settled: the hot key (default unless given) opens the panel; proof that the app has
# finished its launch work and serves the keyboard.
open_panel_settled() {
    xdotool key "${1:-super+shift+p}"
    wait_mapped "$panel" 10000 || fail "the hot key ${1:-super+shift+p} did not open the panel"
    sleep 0.8
}

# no_welcome WHY: fails when a guide is on screen.
no_welcome() {
    ! mapped_welcome >/dev/null || fail "the welcome guide showed: $1"
}

# welcome_shot NAME: saves the guide window alone as NAME.png (when screenshots are kept) and
# into $shot_file.
welcome_shot() {
    local x y width height
    read -r x y width height < <(window_geometry "$welcome")
    shot_file="$shots/$1.png"
    import -window root png:- 2>/dev/null | convert - -crop "${width}x${height}+${x}+${y}" +repage "$shot_file"
    [ -n "${ORRIS_SCREENSHOT_DIR:-}" ] && mkdir -p "$ORRIS_SCREENSHOT_DIR" && cp "$shot_file" "$ORRIS_SCREENSHOT_DIR/"
}

# wait_for_small_popup: polls 5 s for a shown window of the app, other than the capsule and the
# panel, under 100 pixels high: the one-row menu of the card.
wait_for_small_popup() {
    local deadline=$(($(now_ms) + 5000)) id height
    while [ "$(now_ms)" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
            [ "$id" = "$capsule" ] || [ "$id" = "$panel" ] && continue
            read -r _ _ _ height < <(window_geometry "$id")
            [ "$height" -lt 100 ] && return 0
        done
        sleep 0.05
    done
    return 1
}

# The card's ticks are green circles: ticks_at_least N succeeds when the panel shows N of them.
ticks_at_least() {
    find_colour_block "$panel" 30D158 8 24 "$1" 20 >/dev/null
}

# wait_for_ticks N: polls 10 s until the panel shows exactly N ticks.
wait_for_ticks() {
    local deadline=$(($(now_ms) + 10000))
    until { [ "$1" -eq 0 ] || ticks_at_least "$1"; } && ! ticks_at_least $(($1 + 1)); do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the card does not show $1 ticked steps"
        sleep 0.2
    done
}

# stage_to_top: scrolls the panel's stage back to its top, where the card is, and moves the
# pointer off the tiles.
stage_to_top() {
    local panel_x panel_y
    read -r panel_x panel_y _ _ < <(window_geometry "$panel")
    xdotool mousemove $((panel_x + 200)) $((panel_y + 260)) click --repeat 6 --delay 50 4
    xdotool mousemove $((panel_x + 40)) $((panel_y + 30))
    sleep 0.6
}

workspace_file() {
    mkdir -p "$app_home/.orris-hollows/workspaces"
    cat >"$app_home/.orris-hollows/workspaces/alpha.yaml" <<'YAML'
workspace:
  name: "Alpha"
  match_paths: []

prompts:
  - id: "a1"
    title: "Alpha prompt"
    group: "General"
    text: "Alpha text"
YAML
}

# --- A fresh home: the guide after the first load; Later is remembered. ---
next_home
start_and_wait_capsule
wait_for_welcome
! grep -q "^$welcome_key=" "$app_settings" || fail "the flag was written before the guide ended"
welcome_shot first-run-welcome-en
default_guide=$shot_file
xdotool windowactivate --sync "$welcome" 2>/dev/null
xdotool key Escape
wait_for_setting "$welcome_key" true
wait_unmapped "$welcome" 10000 || fail "Later did not close the guide"
stop_app
start_and_wait_capsule
open_panel_settled
no_welcome "after Later and a restart"
screenshot first-run-after-later

# --- Only the copy flag: the key is written at start and no guide shows. ---
next_home
set_setting OrrisHollows.firstRunSuccessfulCopy.v1 true
start_and_wait_capsule
wait_for_setting "$welcome_key" true
open_panel_settled
no_welcome "with the copy flag set"

# --- A saved workspace file: the first load marks the guide done. ---
next_home
workspace_file
start_and_wait_capsule
wait_for_setting "$welcome_key" true
no_welcome "with a workspace file"
open_panel_settled
no_welcome "with a workspace file, after the panel opened"

# --- Another hot key: step 1 names it, and it opens the panel. ---
next_home
# Super+Shift+K, as the settings store keeps it.
set_setting OrrisHollows.togglePanelShortcut.v1 \
    '"@ByteArray({\"keyCode\":40,\"modifiersRawValue\":393216})"'
start_and_wait_capsule
wait_for_welcome
welcome_shot first-run-welcome-hot-key
# Same window, same place: only the hot key's line differs, and it is in the first step, high in
# the window, one text line tall.
read -r diff_width diff_height diff_x diff_y < <(
    convert "$default_guide" "$shot_file" -compose difference -composite -threshold 8% -trim \
        -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'
)
[ "${diff_width:-0}" -gt 1 ] || fail "step 1 looks the same with another hot key"
[ "$diff_height" -le 40 ] && [ "$diff_y" -lt 270 ] ||
    fail "the hot key changed more than step 1's line: ${diff_width}x${diff_height} at $diff_x,$diff_y"
xdotool windowactivate --sync "$welcome" 2>/dev/null
xdotool key Escape
wait_unmapped "$welcome" 10000 || fail "Later did not close the guide"
xdotool key super+shift+p
sleep 1
! is_mapped "$panel" || fail "the former hot key still opens the panel"
open_panel_settled super+shift+k

# --- The checklist card: binding and copy tick as they happen; Done hides it for good. ---
next_home
printf '%s=true\n' "$welcome_key" >>"$app_settings"
workspace_file
start_and_wait_capsule
start_terminal "~"
open_panel_settled
# The saved workspace ticks the first step; the terminal is not bound and nothing was copied.
wait_for_ticks 1
screenshot first-run-card-en-start
# The card's buttons are filled in the secondary navy: Done in its head first, the bind menu second.
position=$(find_colour_block "$panel" 1E2333 50 5 2 32) || fail "no bind menu in the card"
read -r menu_x menu_y <<<"$position"
xdotool mousemove "$menu_x" "$menu_y" click 1
# Keys sent before the menu shows would go to the panel: Return there copies a prompt.
wait_for_small_popup || fail "the card's bind menu did not open"
xdotool key Down Return
bindings="$app_home/.orris-hollows/agent-workspace-bindings.json"
deadline=$(($(now_ms) + 10000))
until grep -q '"alpha"' "$bindings" 2>/dev/null; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the card's bind menu wrote no binding: $(cat "$bindings" 2>&1)"
    sleep 0.1
done
stage_to_top
wait_for_ticks 2
screenshot first-run-card-en-bound
! grep -q '^OrrisHollows.firstRunSuccessfulCopy.v1=' "$app_settings" || fail "a copy was counted before any"
deadline=$(($(now_ms) + 10000))
until [ "$(clipboard)" = "Alpha text" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "Return did not copy the bound workspace's prompt: $(clipboard)"
    is_mapped "$panel" || open_panel_settled
    xdotool key Return
    sleep 0.3
done
wait_for_setting OrrisHollows.firstRunSuccessfulCopy.v1 true
is_mapped "$panel" || open_panel_settled
# The stage scrolled to the selected tile: back to its top, where the card is.
stage_to_top
wait_for_ticks 3
screenshot first-run-card-en-all-done
# With every step done, Done is the card's only button.
position=$(find_colour_block "$panel" 1E2333 50 5 1 32) || fail "no Done button in the card"
read -r done_x done_y <<<"$position"
xdotool mousemove "$done_x" "$done_y" click 1
wait_for_setting OrrisHollows.firstRunTipsDismissed.v1 true
wait_for_ticks 0
screenshot first-run-card-dismissed
stop_app
start_and_wait_capsule
open_panel_settled
wait_for_ticks 0
screenshot first-run-card-dismissed-after-restart
grep -q '^OrrisHollows.firstRunTipsDismissed.v1=true$' "$app_settings" || fail "the dismissal was lost"

# --- Simplified Chinese: the guide, then the card of a fresh home. ---
next_home
set_setting OrrisHollows.interfaceLanguage.v1 zhHans
start_and_wait_capsule
wait_for_welcome
welcome_shot first-run-welcome-zh
xdotool windowactivate --sync "$welcome" 2>/dev/null
xdotool key Escape
wait_for_setting "$welcome_key" true
open_panel_settled
screenshot first-run-card-zh

echo "PASS"
