#!/usr/bin/env bash
# The import sheet from the panel, with real files, the real clipboard and real input. Over a
# terminal in the "Notes" folder the panel's import button opens the sheet with "Notes" as the
# target; two blank-line-separated prompts pasted from the clipboard are listed after the pause,
# further typing empties the list and disables Import until the next parse, and Import appends
# both prompts with ids that clash neither with the workspace's own nor with each other. A pack
# chosen in the file dialog shows its card and installs as a new workspace bound to the
# terminal; a malformed or oversized pack shows a red error and no card.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
set_setting OrrisHollows.advancedAutomaticMatchingEnabled.v1 true
data="$app_home/.orris-hollows"
mkdir -p "$data/workspaces" "$app_home/notes" "$app_home/packs"
cat >"$data/workspaces/notes.yaml" <<YAML
workspace:
  name: "Notes"
  match_paths:
    - "$app_home/notes"

prompts:
  - id: "imported-fix-the-build"
    title: "Already here"
    group: "General"
    text: "A prompt whose id the first pasted one would take"
YAML
cp "$(dirname "$0")/../fixtures/review-kit.pack.yaml" "$app_home/packs/review.yaml"
printf 'pack:\n  name: "Broken"\n' >"$app_home/packs/broken.yaml"
# One byte over the 1 MiB limit.
head -c 1048577 /dev/zero | tr '\0' 'a' >"$app_home/packs/huge.yaml"

# The folder is known from launch; the terminal in front names the agent.
export ORRIS_HOLLOWS_WORKSPACE="$app_home/notes"
start_app "$1"
capsule=$(app_window_sized 38 24) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
panel=$(app_panel_window "$capsule") || exit 1

start_terminal "~/notes" 300

# region_hash X Y W H: a hash of that part of the screen.
region_hash() {
    import -window root -crop "${3}x${4}+${1}+${2}" +repage rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}
# wait_region_changes X Y W H HASH: polls until the region no longer matches HASH (10 s).
wait_region_changes() {
    local deadline=$(($(now_ms) + 10000))
    while [ "$(region_hash "$1" "$2" "$3" "$4")" = "$5" ]; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
# red_pixels X Y W H: how many pixels of that part of the screen have the error text's red.
red_pixels() {
    import -window root -crop "${3}x${4}+${1}+${2}" +repage -depth 8 txt:- 2>/dev/null |
        awk -F'[(,)]' 'NR > 1 && $3 >= 220 && $4 <= 150 && $5 <= 150 {n++} END {print n + 0}'
}
# wait_gone ID: polls until the window is no longer viewable (10 s).
wait_gone() {
    wait_unmapped "$1" 10000
}
# open_import_sheet: opens the panel and its import sheet; sets sheet and the sheet's geometry.
open_import_sheet() {
    open_panel "$panel"
    local px py pw ph
    read -r px py pw ph < <(window_geometry "$panel")
    # The toolbar's third button, bottom right of the island.
    click_at $((px + pw / 2 + 145)) $((py + ph - 51))
    sheet=$(wait_for_window --onlyvisible --name '^Import Prompts$') || exit 1
    wait_mapped "$sheet" 10000 || fail "the import sheet was not mapped"
    read -r sx sy sw sh < <(window_geometry "$sheet")
    [ "$sw" -ge 560 ] && [ "$sh" -ge 700 ] || fail "the import sheet is ${sw}x${sh}"
    sleep 0.4
}

open_import_sheet
screenshot panel-import-1-sheet
# The count line and the preview list, below the editor; the button row at the bottom.
preview_region=("$sx" $((sy + sh - 250)) "$sw" 190)
import_button=($((sx + sw - 120)) $((sy + sh - 56)) 110 40)
# Both at once, read in one capture: the count, the list and the button row.
lower_part=("$sx" $((sy + sh - 250)) "$sw" 250)
empty_previews=$(region_hash "${preview_region[@]}")
disabled_import=$(region_hash "${import_button[@]}")
nothing_to_import=$(region_hash "${lower_part[@]}")

printf 'Fix the build\nRun the build and fix every error.\n\nReview the diff\nRead the staged changes' |
    xclip -selection clipboard
click_in "$sheet" $((sw / 2)) $((sh / 2 - 20))
xdotool key ctrl+v
wait_region_changes "${preview_region[@]}" "$empty_previews" || fail "no previews appeared after the pause"
sleep 0.3
screenshot panel-import-2-two-previews
[ "$(region_hash "${import_button[@]}")" != "$disabled_import" ] || fail "Import stayed disabled with two previews"

# While keys keep coming faster than the pause, the list stays empty and Import disabled: the
# lower part looks as it did before anything was pasted.
xdotool type --delay 50 " and then list the risks you found there in their order of severity" &
typing=$!
sleep 1
typing_state=$(region_hash "${lower_part[@]}")
wait "$typing"
[ "$typing_state" = "$nothing_to_import" ] ||
    fail "while typing, the previews were not empty or Import was enabled"
wait_region_changes "${preview_region[@]}" "$empty_previews" || fail "no previews after typing"
sleep 0.3
screenshot panel-import-3-after-typing

before=$(stat -c %Y.%s "$data/workspaces/notes.yaml")
# Tab leaves the editor; Return is the sheet's default action.
xdotool key Tab Return
wait_gone "$sheet" || fail "Import did not close the sheet"
ids=$(sed -n 's/^  - id: "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$data/workspaces/notes.yaml")
[ "$(echo "$ids" | wc -l)" -eq 3 ] || fail "notes.yaml does not hold three prompts: $(cat "$data/workspaces/notes.yaml")"
[ "$(echo "$ids" | sort -u | wc -l)" -eq 3 ] || fail "notes.yaml has a repeated id: $ids"
grep -q 'title: "\{0,1\}Fix the build' "$data/workspaces/notes.yaml" || fail "the first prompt was not imported"
grep -q 'Read the staged changes and then list the risks you found there in their order of severity' "$data/workspaces/notes.yaml" ||
    fail "the second prompt lacks the typed text: $(cat "$data/workspaces/notes.yaml")"
[ "$(stat -c %Y.%s "$data/workspaces/notes.yaml")" != "$before" ] || fail "notes.yaml was not written"
sleep 0.5
screenshot panel-import-4-three-tiles

# Packs: the card for a valid one; a red error and no card for a malformed or oversized one.
# choose_pack PATH: opens the file dialog from the sheet and chooses the file by typing its path;
# typed again when keys were lost while the dialog took the focus.
choose_pack() {
    click_in "$sheet" 90 "$pack_button_y"
    local chooser
    chooser=$(wait_for_window --onlyvisible --name '^Choose a Pack File$') || exit 1
    wait_mapped "$chooser" 10000 || fail "the file dialog was not mapped"
    for _ in 1 2 3; do
        sleep 0.3
        xdotool key ctrl+a
        xdotool type --delay 10 "$1"
        xdotool key Return
        wait_unmapped "$chooser" 3000 && break
    done
    is_mapped "$chooser" && fail "the file dialog did not take $1"
    sleep 0.5
}
open_import_sheet
pack_button_y=59
# Below the pack row: where the card or the error shows.
card_region=("$sx" $((sy + 76)) "$sw" 90)
no_card=$(region_hash "${card_region[@]}")
choose_pack "$app_home/packs/review.yaml"
screenshot panel-import-5-pack-card
card=$(region_hash "${card_region[@]}")
[ "$card" != "$no_card" ] || fail "the valid pack showed no card"
[ "$(red_pixels "${card_region[@]}")" -eq 0 ] || fail "the valid pack showed an error"

choose_pack "$app_home/packs/broken.yaml"
screenshot panel-import-6-malformed-pack
[ "$(region_hash "${card_region[@]}")" != "$card" ] || fail "the malformed pack kept the card"
[ "$(red_pixels "${card_region[@]}")" -gt 20 ] || fail "the malformed pack showed no red error"
choose_pack "$app_home/packs/huge.yaml"
screenshot panel-import-7-oversized-pack
[ "$(region_hash "${card_region[@]}")" != "$card" ] || fail "the oversized pack kept the card"
[ "$(red_pixels "${card_region[@]}")" -gt 20 ] || fail "the oversized pack showed no red error"
ls "$data/workspaces" | grep -qi review && fail "a bad pack installed a workspace"

choose_pack "$app_home/packs/review.yaml"
[ "$(region_hash "${card_region[@]}")" = "$card" ] || fail "the valid pack's card did not come back"
# Install, at the right end of the pack row.
click_in "$sheet" $((sw - 90)) "$pack_button_y"
wait_gone "$sheet" || fail "Install did not close the sheet"
installed=""
for _ in $(seq 1 100); do
    installed=$(grep -l 'name: "\{0,1\}Review Kit' "$data"/workspaces/*.yaml 2>/dev/null | head -n 1)
    [ -n "$installed" ] && break
    sleep 0.1
done
[ -n "$installed" ] || fail "the pack was not installed: $(ls "$data/workspaces")"
grep -q 'Review the staged changes.' "$installed" || fail "the installed workspace lacks the pack's prompts"
bindings="$data/agent-workspace-bindings.json"
for _ in $(seq 1 100); do
    grep -q '"terminal"' "$bindings" 2>/dev/null && break
    sleep 0.1
done
installed_id=$(basename "$installed" .yaml)
python3 - "$bindings" "$installed_id" <<'PY' || fail "the terminal is not bound to $installed_id: $(cat "$bindings" 2>&1)"
import json, sys
bindings = json.load(open(sys.argv[1]))["bindings"]
sys.exit(0 if any(b["agentType"] == "terminal" and b["workspaceID"] == sys.argv[2] for b in bindings) else 1)
PY
sleep 0.5
screenshot panel-import-8-installed-pack

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
