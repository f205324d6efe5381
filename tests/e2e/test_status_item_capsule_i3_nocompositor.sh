#!/usr/bin/env bash
# Under i3, which gives floating windows a minimum size larger than the capsule, and without a
# compositor (so the capsule is cut to its shape): the pill shows in the window i3 gave, a click
# on it opens the panel just below it, and another click closes it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ "${ORRIS_E2E_WM:-}" = i3 ] || fail "not running under i3 (ORRIS_E2E_WM=i3)"
start_app "$1"
capsule=$(wait_for_window --onlyvisible --classname '^orris-hollows$') || exit 1
panel=$(app_panel_window "$capsule") || exit 1
wait_geometry_settled "$capsule"
read -r cx cy cw ch < <(window_geometry "$capsule")
screenshot i3-1-capsule
at=$(find_colour_block "$capsule" ff4d7e 10 40) || fail "no pill in the ${cw}x${ch} capsule window"
read -r px py <<<"$at"
# The pill sits at the middle of the window it was given.
[ $((px - (cx + cw / 2))) -ge -2 ] && [ $((px - (cx + cw / 2))) -le 2 ] || fail "pill at x=$px in $cx+$cw"
[ $((py - (cy + ch / 2))) -ge -2 ] && [ $((py - (cy + ch / 2))) -le 2 ] || fail "pill at y=$py in $cy+$ch"

click_at "$px" "$py"
wait_mapped "$panel" 3000 || fail "a click on the pill did not open the panel"
wait_geometry_settled "$panel"
# Just below the drawn capsule (38x24 around the pill), not below the larger window.
check_panel_below "$panel" $((px - 19)) $((py - 12)) 38 24
screenshot i3-2-panel
# i3 honours the request for every desktop (it makes the window sticky).
desktop=$(xprop -id "$panel" _NET_WM_DESKTOP)
[ "$desktop" = "_NET_WM_DESKTOP(CARDINAL) = 4294967295" ] || fail "panel not on every desktop: $desktop"
click_at "$px" "$py"
wait_unmapped "$panel" 3000 || fail "a second click on the pill did not close the panel"
echo "PASS"
