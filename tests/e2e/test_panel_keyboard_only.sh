#!/usr/bin/env bash
# A keyboard user's panel, on a home of sixty prompts with the pointer far from it: the end of a
# sheet does not close the panel the pointer never visited; a combination the panel passes on
# (Ctrl+Alt+1) types nothing into the search; the selection stays in view as Down moves it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
mkdir -p "$app_home/.orris-hollows"
{
    echo "prompts:"
    printf '  - id: "p1"\n    title: "Prompt 1"\n    text: "Text 1"\n'
    printf '  - id: "p2"\n    title: "Prompt 2"\n    text: "Hello {{ name }}"\n'
    for i in $(seq 3 60); do
        printf '  - id: "p%s"\n    title: "Prompt %s"\n    text: "Text %s"\n' "$i" "$i" "$i"
    done
} >"$app_home/.orris-hollows/global.yaml"
launch_app "$1"
xdotool mousemove 40 780

# Hot key, Ctrl+2 (a prompt with a variable: its form opens), Escape: the form closes and the
# panel stays.
open_panel "$panel"
xdotool key ctrl+2
sleep 0.6
screenshot keyboard-only-1-variable-sheet
xdotool key Escape
sleep 2
is_mapped "$panel" || fail "the panel closed when the variable form ended"
xdotool key Return
wait_clipboard "Text 1" || fail "the panel no longer takes keys after the form (clipboard: $(clipboard))"

# Ctrl+Alt+1 copies nothing and leaves the search empty: one Escape then closes the panel.
printf 'before' | xclip -selection clipboard
xdotool key ctrl+alt+1
sleep 0.4
screenshot keyboard-only-2-ctrl-alt-1
[ "$(clipboard)" = "before" ] || fail "Ctrl+Alt+1 copied something: $(clipboard)"
xdotool key Escape
wait_unmapped "$panel" 2000 || fail "Ctrl+Alt+1 left text in the search (Escape only cleared it)"

# Down thirty times: the selected tile's ring (its top and bottom edges) stays inside the stage,
# between the search row and the toolbar, and Return copies what is seen.
open_panel "$panel"
sleep 0.5
read -r _ panel_y _ panel_height < <(window_geometry "$panel")
for _ in $(seq 1 30); do
    xdotool key Down
    sleep 0.05
done
sleep 0.6
screenshot keyboard-only-3-down-30
ring=$(colour_rows "$panel" ff4d7e 60) || fail "after Down x30 no selected tile is in view"
read -r ring_top ring_bottom <<<"$ring"
[ $((ring_bottom - ring_top)) -ge 80 ] || fail "only part of the selected tile is in view ($ring_top..$ring_bottom)"
[ "$ring_top" -ge $((panel_y + 150)) ] || fail "the selected tile is above the stage (top $ring_top)"
[ "$ring_bottom" -le $((panel_y + panel_height - 80)) ] ||
    fail "the selected tile is under the toolbar (bottom $ring_bottom, panel ends at $((panel_y + panel_height)))"
xdotool key Return
# Down moves three tiles at a time and stops at the last tile.
wait_clipboard "Text 60" || fail "Return after Down x30 copied $(clipboard)"

# Up again to the top: the first tile comes back into view.
for _ in $(seq 1 30); do
    xdotool key Up
    sleep 0.05
done
sleep 0.6
screenshot keyboard-only-4-up-30
ring=$(colour_rows "$panel" ff4d7e 60) || fail "after Up x30 no selected tile is in view"
read -r ring_top ring_bottom <<<"$ring"
[ $((ring_bottom - ring_top)) -ge 80 ] && [ "$ring_top" -ge $((panel_y + 150)) ] ||
    fail "after Up x30 the selected tile is not wholly in view ($ring_top..$ring_bottom)"
echo "PASS"
