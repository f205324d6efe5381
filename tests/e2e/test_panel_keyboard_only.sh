#!/usr/bin/env bash
# A keyboard user's panel, on a home of sixty prompts with the pointer far from it: the end of a
# sheet does not close the panel the pointer never visited.
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
echo "PASS"
