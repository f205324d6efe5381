#!/usr/bin/env bash
# Under i3 the workspace manager is tiled beside another window, narrower than its minimum
# width: it still shows the list and, below it, the detail pane whole, and stays usable.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ "${ORRIS_E2E_WM:-}" = i3 ] || fail "not running under i3 (ORRIS_E2E_WM=i3)"
make_home
start_app "$1"
capsule=$(wait_for_window --onlyvisible --classname '^orris-hollows$') || exit 1
start_terminal shop
read -r _ _ cw ch < <(window_geometry "$capsule")
open_menu "$capsule" $((cw / 2)) $((ch / 2))
pick_menu_row 2
manager=$(wait_for_window --onlyvisible --name '^Workspace Manager$') || exit 1
wait_geometry_settled "$manager"
read -r mx my mw mh < <(window_geometry "$manager")
[ "$mw" -lt 940 ] || fail "the manager was not tiled narrower than its minimum: ${mw}x${mh}"
sleep 0.5
screenshot manager-tiled-1
# A click on the first row shows its workspace in the detail pane below the list.
click_at $((mx + mw / 2)) $((my + 240))
sleep 0.5
screenshot manager-tiled-2-selected
echo "PASS"
