#!/usr/bin/env bash
# On a 1024x420 screen the import sheet (560x700) does not fit the panel and opens as a window:
# centred over the panel, inside the screen, its content scrolling so that Cancel stays in reach.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

launch_app "$1"
open_panel "$panel"
read -r px py pw ph < <(window_geometry "$panel")
screenshot short-screen-1-panel
# The toolbar's third button, bottom right of the island.
click_at $((px + pw / 2 + 145)) $((py + ph - 51))
sheet=$(wait_for_window --onlyvisible --name '^Import Prompts$') || exit 1
wait_mapped "$sheet" 10000 || fail "the import sheet was not mapped"
sleep 0.6
screenshot short-screen-2-import-sheet
read -r sx sy sw sh < <(window_geometry "$sheet")
[ "$sx" -ge 0 ] && [ "$sy" -ge 0 ] && [ $((sx + sw)) -le 1024 ] && [ $((sy + sh)) -le 420 ] ||
    fail "the sheet at ${sx},${sy} ${sw}x${sh} leaves the 1024x420 screen"
centre=$((sx + sw / 2 - (px + pw / 2)))
[ "$centre" -ge -4 ] && [ "$centre" -le 4 ] || fail "the sheet (x $sx, ${sw} wide) is not centred over the panel (x $px)"

# The wheel scrolls the content down to the buttons.
xdotool mousemove $((sx + sw / 2)) $((sy + 60))
sleep 0.3
for _ in $(seq 1 15); do
    xdotool click 5
    sleep 0.03
done
sleep 0.4
screenshot short-screen-3-import-sheet-scrolled

# Escape reaches the sheet's cancel and the sheet goes away; the panel is still there.
xdotool key Escape
wait_unmapped "$sheet" 5000 || fail "Escape did not close the sheet"
is_mapped "$panel" || fail "the panel closed with the sheet"
echo "PASS"
