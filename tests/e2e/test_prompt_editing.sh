#!/usr/bin/env bash
# Editing with real files: a prompt written in the panel's editor lands trimmed in the workspace
# file and on a tile; the workspace edit sheet, reached from the panel through the workspace
# manager, refuses to save over a file changed on disk and offers the two ways out: reloading
# the file's state, after which Save works, and saving the edit as a new workspace file.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
set_setting OrrisHollows.advancedAutomaticMatchingEnabled.v1 true
# The checklist card would push the tiles below the fold.
set_setting OrrisHollows.firstRunTipsDismissed.v1 true
workspaces="$app_home/.orris-hollows/workspaces"
mkdir -p "$workspaces" "$app_home/shop"
workspace_file="$workspaces/shop.yaml"
cat >"$workspace_file" <<YAML
workspace:
  name: "Shop"
  match_paths:
    - "$app_home/shop"

prompts:
  - id: "keep"
    title: "Keep me"
    group: "General"
    text: "Kept text"
YAML
export ORRIS_HOLLOWS_WORKSPACE="$app_home/shop"
launch_app "$1"

# wait_window_gone ID: polls for 10 s until the window is no longer mapped.
wait_window_gone() {
    wait_unmapped "$1" 10000
}

# toolbar_click N: clicks the Nth of the panel's three toolbar buttons. They share the island's
# width (484 of the window's 520, 28 in from each side) and stand 51 points above the window's
# bottom edge.
toolbar_click() {
    local height previous=""
    # The panel grows when a prompt adds a section; click once its height has settled.
    for _ in $(seq 1 50); do
        read -r _ _ _ height < <(window_geometry "$panel")
        [ "$height" = "$previous" ] && break
        previous=$height
        sleep 0.2
    done
    xdotool mousemove --window "$panel" $((18 + 28 + 71 + ($1 - 1) * 142)) $((height - 51)) click 1
}

# sheet_save: clicks Save in the workspace edit sheet, in its bottom-trailing corner (margins 20
# and 18), which also puts the keyboard focus on it.
sheet_save() {
    xdotool mousemove --window "$sheet" $((520 - 20 - 15)) $((460 - 18 - 8)) click 1
}

# sheet_name TEXT: replaces the name in the workspace edit sheet; its field is the first row
# under the heading.
sheet_name() {
    xdotool mousemove --window "$sheet" 300 62 click 1
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
}

# open_edit_sheet: presses the manager's Edit Workspace, the second of the two buttons at the
# top-trailing corner of the detail pane, and waits for the sheet's dialog. Sets sheet.
open_edit_sheet() {
    local width
    read -r _ _ width _ < <(window_geometry "$manager")
    xdotool mousemove --window "$manager" $((width - 170)) 28 click 1
    sheet=$(wait_for_window --onlyvisible --name '^Edit Workspace$') || exit 1
    wait_mapped "$sheet" 10000 || fail "the workspace edit sheet was not mapped"
    sleep 0.5
}

xdotool key super+shift+p
wait_mapped "$panel" 10000 || fail "the hot key did not open the panel"
# The project folder is detected in the background: copy until the workspace's prompt is there.
deadline=$(($(now_ms) + 10000))
until [ "$(clipboard)" = "Kept text" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "Ctrl+1 never copied the workspace's prompt: $(clipboard)"
    xdotool key ctrl+1
    sleep 0.3
done

# ---- a new prompt from the panel's toolbar ----
toolbar_click 1
editor=$(wait_for_window --name '^New Prompt$') || exit 1
wait_mapped "$editor" 10000 || fail "the prompt editor was not mapped"
sleep 0.5
# The focus starts on the sheet; the workspace (preset to the matched one) and the agent come
# before the title.
xdotool key Tab Tab Tab Tab
xdotool type --delay 20 "  Ship it  "
xdotool key Tab
xdotool type --delay 20 "  Release  "
# Past the group menu and the shortcut recorder into the body.
xdotool key Tab Tab Tab
xdotool type --delay 20 "  Line one"
xdotool key Return
xdotool type --delay 20 "line two  "
xdotool key Return
sleep 0.3
screenshot prompt-editing-1-new-prompt
# Out of the body to Cancel, then Save.
xdotool key Tab Tab space
wait_window_gone "$editor" || fail "Save did not close the prompt editor"
wait_file_matches '^    title: "Ship it"$' "$workspace_file" || fail "the new prompt was not saved: $(cat "$workspace_file")"
grep -q '^    group: "Release"$' "$workspace_file" || fail "the group was not stored trimmed: $(cat "$workspace_file")"
grep -q '^    agent: "any"$' "$workspace_file" || fail "no agent was stored as any: $(cat "$workspace_file")"
grep -Eq '^  - id: "[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"$' "$workspace_file" ||
    fail "the new prompt has no fresh id: $(cat "$workspace_file")"
text=$(sed -n '/^    title: "Ship it"$/,$p' "$workspace_file" | sed -n '/^    text: |$/,/^$/p' | sed '1d;/^$/d')
[ "$text" = "$(printf '      Line one\n      line two')" ] || fail "the body was not stored trimmed: [$text]"
grep -q '^    title: "Keep me"$' "$workspace_file" || fail "the old prompt was lost: $(cat "$workspace_file")"

# The tile is there, and the panel has the keyboard back: its number copies the new prompt.
printf 'marker' | xclip -selection clipboard -i
wait_clipboard "marker" || fail "the clipboard could not be set"
xdotool key ctrl+2
wait_clipboard "$(printf 'Line one\nline two')" || fail "Ctrl+2 after the editor copied: $(clipboard)"
screenshot prompt-editing-2-new-tile

# ---- the workspace edit sheet, from the panel's workspace button ----
toolbar_click 2
manager=$(wait_for_window --name '^Workspace Manager$') || exit 1
wait_mapped "$manager" 10000 || fail "the workspace manager was not mapped"
# The panel hands over to the manager: it closes by itself.
wait_unmapped "$panel" 10000 || fail "the panel stayed open over the manager"
sleep 0.5

# Changed on disk while the sheet is open: Save refuses and offers both ways out.
open_edit_sheet
screenshot prompt-editing-3-workspace-edit-sheet
sed -i 's/^  name: "Shop"$/  name: "Shop Outside"/' "$workspace_file"
sheet_name "Renamed"
sheet_save
sleep 1
screenshot prompt-editing-4-conflict
is_mapped "$sheet" || fail "Save over a file changed on disk closed the sheet"
grep -q '^  name: "Shop Outside"$' "$workspace_file" || fail "Save wrote over the change on disk: $(cat "$workspace_file")"

# Reload from Disk: the third control back from Save, after Cancel and Save as New Workspace.
xdotool key shift+Tab shift+Tab shift+Tab space
sleep 1
screenshot prompt-editing-5-reloaded
# Save is off while the reload runs, and its result replaces the name: under load, try again.
deadline=$(($(now_ms) + 10000))
while is_mapped "$sheet"; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "Save after Reload from Disk did not close the sheet"
    sheet_name "Renamed"
    sheet_save
    wait_unmapped "$sheet" 1000
done
wait_file_matches '^  name: "Renamed"$' "$workspace_file" || fail "Save after the reload did not write: $(cat "$workspace_file")"
grep -q '^    title: "Ship it"$' "$workspace_file" || fail "the rename lost a prompt: $(cat "$workspace_file")"
grep -q "^    - \"$app_home/shop\"$" "$workspace_file" || fail "the rename lost the match path: $(cat "$workspace_file")"

# Changed on disk again: Save as New Workspace writes the edit to a new file and leaves the
# changed one alone.
sleep 0.5
open_edit_sheet
sed -i 's/^  name: "Renamed"$/  name: "Renamed Outside"/' "$workspace_file"
sheet_name "Shop Copy"
sheet_save
sleep 1
is_mapped "$sheet" || fail "the second Save over a changed file closed the sheet"
xdotool key shift+Tab shift+Tab space
wait_window_gone "$sheet" || fail "Save as New Workspace did not close the sheet"
deadline=$(($(now_ms) + 10000))
copy=""
while [ -z "$copy" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "no new workspace file: $(ls "$workspaces")"
    copy=$(grep -l '^  name: "Shop Copy"$' "$workspaces"/*.yaml 2>/dev/null | head -n 1)
    sleep 0.05
done
[ "$copy" != "$workspace_file" ] || fail "Save as New Workspace wrote over the original file"
grep -q "^    - \"$app_home/shop\"$" "$copy" || fail "the copy lost the match path: $(cat "$copy")"
grep -q '^  name: "Renamed Outside"$' "$workspace_file" || fail "the original file changed: $(cat "$workspace_file")"
sleep 0.5
screenshot prompt-editing-6-saved-as-new

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
