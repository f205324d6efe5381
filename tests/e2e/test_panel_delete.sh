#!/usr/bin/env bash
# Deleting a prompt from the panel with real files: in a project folder matched by a user
# workspace the tiles are editable; a tile's edit menu asks before it deletes, Return in the
# question keeps the prompt, and confirming removes it from the workspace file, from the panel
# and from the usage file. The panel speaks Chinese here, and the deleted prompt has a Chinese title,
# so the screenshots show the menu and the question in that language.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
set_setting OrrisHollows.advancedAutomaticMatchingEnabled.v1 true
# The checklist card would push the tiles below the fold.
set_setting OrrisHollows.firstRunTipsDismissed.v1 true
set_setting OrrisHollows.interfaceLanguage.v1 zhHans
mkdir -p "$app_home/.orris-hollows/workspaces" "$app_home/shop"
workspace_file="$app_home/.orris-hollows/workspaces/shop.yaml"
cat >"$workspace_file" <<YAML
workspace:
  name: "Shop"
  match_paths:
    - "$app_home/shop"

prompts:
  - id: "drop"
    title: "Drop me 删除这个提示词"
    group: "General"
    text: "Dropped text"
  - id: "keep"
    title: "Keep me"
    group: "General"
    text: "Kept text"
YAML
usage="$app_home/.orris-hollows/prompt-usage.json"
export ORRIS_HOLLOWS_WORKSPACE="$app_home/shop"
launch_app "$1"

# open_edit_menu: presses the first tile's menu button and waits for the menu. The panel window
# is 520 wide with an 18-point shadow inset; the grid starts 47 points in, and with this header
# (no banners, no checklist) the first row of tiles starts 244 points down. The button sits 10
# points inside the tile's top-trailing corner and is 20 points wide.
open_edit_menu() {
    local id width height deadline
    menu=""
    xdotool mousemove --window "$panel" $((47 + 130 - 10 - 10)) $((244 + 10 + 10)) click 1
    deadline=$(($(now_ms) + 10000))
    while [ -z "$menu" ] && [ "$(now_ms)" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
            [ "$id" = "$capsule" ] || [ "$id" = "$panel" ] && continue
            read -r _ _ width height < <(window_geometry "$id")
            [ "$height" -gt 100 ] && [ "$width" -lt 400 ] && menu=$id
        done
        sleep 0.05
    done
    [ -n "$menu" ] || fail "the tile's menu button showed no menu"
    # Off the menu, so that no row is chosen by hovering, but over the panel: the island closes
    # once the pointer has left it and nothing holds it open.
    xdotool mousemove --window "$panel" 260 60
}

xdotool key super+shift+p
wait_mapped "$panel" 10000 || fail "the hot key did not open the panel"
# The project folder is detected in the background: copy until the workspace's prompt is there.
deadline=$(($(now_ms) + 10000))
until [ "$(clipboard)" = "Dropped text" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "Ctrl+1 never copied the workspace's first prompt: $(clipboard)"
    xdotool key ctrl+1
    sleep 0.3
done
wait_file_matches '"promptID" : "drop"' "$usage" || fail "the copy was not counted: $(cat "$usage" 2>&1)"
xdotool key ctrl+2
wait_clipboard "Kept text" || fail "Ctrl+2 did not copy the second prompt: $(clipboard)"
screenshot panel-delete-1-copied-badge
# The badge stands where the menu button is, on the tile copied last: let it go (1.6 s).
sleep 2

# Return in the question is the safe answer: nothing is deleted.
open_edit_menu
screenshot panel-delete-2-edit-menu
xdotool key Up Return
sleep 0.6
screenshot panel-delete-3-confirmation
xdotool key Return
sleep 0.6
grep -q 'title: "Drop me' "$workspace_file" || fail "Return in the question deleted the prompt"
is_mapped "$panel" || fail "Return in the question closed the panel"

# Delete, confirmed: the focus starts on Cancel and Delete is the button before it.
open_edit_menu
xdotool key Up Return
sleep 0.6
xdotool key shift+Tab space
wait_file_lacks 'title: "Drop me' "$workspace_file" || fail "confirming did not delete the prompt: $(cat "$workspace_file")"
grep -q '"Keep me"' "$workspace_file" || fail "the other prompt went too: $(cat "$workspace_file")"
grep -q '^workspace:' "$workspace_file" || fail "the workspace file lost its head: $(cat "$workspace_file")"
wait_file_lacks '"promptID" : "drop"' "$usage" || fail "the deleted prompt's use is still counted: $(cat "$usage")"
grep -q '"promptID" : "keep"' "$usage" || fail "the other prompt's use was dropped: $(cat "$usage")"
sleep 0.4
screenshot panel-delete-4-deleted
# The panel lost the tile: the first number now copies what was the second prompt.
printf 'marker' | xclip -selection clipboard -i
wait_clipboard "marker" || fail "the clipboard could not be set"
xdotool key ctrl+1
wait_clipboard "Kept text" || fail "after the delete, Ctrl+1 copied: $(clipboard)"

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
