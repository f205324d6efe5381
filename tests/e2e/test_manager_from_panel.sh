#!/usr/bin/env bash
# The workspace manager opened from the panel. The detected folder belongs to the user workspace
# "Shop Work", so the panel shows it; the panel's workspace button opens the manager window with
# that workspace in the detail pane, which Export proves by proposing that workspace's pack file.
# Searching the list, ticking what it shows and deleting asks first and then moves only that
# workspace's file away.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
set_setting OrrisHollows.advancedAutomaticMatchingEnabled.v1 true
data="$app_home/.orris-hollows"
mkdir -p "$data/workspaces" "$app_home/shop"
cat >"$data/global.yaml" <<'YAML'
prompts:
  - id: "everywhere"
    title: "Everywhere"
    text: "A global prompt"
YAML
cat >"$data/workspaces/alpha.yaml" <<'YAML'
workspace:
  name: "Alpha"
  match_paths: []

prompts:
  - id: "a1"
    title: "Alpha prompt"
    group: "General"
    text: "Alpha"
YAML
cat >"$data/workspaces/shop.yaml" <<YAML
workspace:
  name: "Shop Work"
  match_paths:
    - "$app_home/shop"

prompts:
  - id: "s1"
    title: "Check the checkout"
    group: "Review"
    tags:
      - shop
    text: "Check the checkout flow"
  - id: "s2"
    title: "Price rules"
    group: "Rules"
    text: "Explain the price rules"
YAML
cat >"$data/workspaces/zulu.yaml" <<'YAML'
workspace:
  name: "Zulu"
  match_paths: []

prompts:
  - id: "z1"
    title: "Zulu prompt"
    group: "General"
    text: "Zulu"
YAML

export ORRIS_HOLLOWS_WORKSPACE="$app_home/shop"
start_app "$1"
capsule=$(app_capsule_window) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
panel=$(app_panel_window "$capsule") || exit 1

open_panel "$panel"
screenshot manager-1-panel
read -r px py pw ph < <(window_geometry "$panel")
# The toolbar's middle button.
click_at $((px + pw / 2)) $((py + ph - 51))
manager=$(wait_for_window --onlyvisible --name '^Workspace Manager$') || exit 1
wait_mapped "$manager" 10000 || fail "the manager window was not mapped"
read -r mx my mw mh < <(window_geometry "$manager")
[ "$mw" -ge 940 ] && [ "$mh" -ge 620 ] || fail "the manager window is ${mw}x${mh}"
# The panel hands over: it closes, and the manager is the active window, keys go to it.
wait_unmapped "$panel" 2000 || fail "the panel stayed above the manager it opened"
manager_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$manager" ]; }
poll_10s manager_active || fail "the manager is not the active window (active: $(xdotool getactivewindow))"
xdotool mousemove 640 790
sleep 0.5
screenshot manager-2-list-and-detail

# Export Pack, at the right end of the detail pane's header, proposes "<id>.orris-hollows-pack.yaml" of the workspace it
# shows: the panel's.
click_in "$manager" $((mw - 70)) 34
chooser=$(wait_for_window --onlyvisible --name '^Export Pack$') || exit 1
wait_mapped "$chooser" 10000 || fail "the export dialog was not mapped"
sleep 0.4
screenshot manager-3-export-dialog
# Return saves under the proposed name; pressed again when it came before the dialog's focus.
for _ in 1 2 3; do
    xdotool key Return
    wait_unmapped "$chooser" 3000 && break
done
pack="$app_home/shop.orris-hollows-pack.yaml"
for _ in $(seq 1 100); do
    [ -s "$pack" ] && break
    sleep 0.1
done
[ -s "$pack" ] || fail "no pack of the shown workspace: $(ls "$app_home")"
grep -q 'Check the checkout flow' "$pack" || fail "the exported pack is not the panel's workspace: $(cat "$pack")"

# Search, tick what the search shows, delete: the confirmation names the workspace. In the
# sidebar, from the top: the search field, then "Select Shown" and "Delete Selected" on rows of
# their own.
click_in "$manager" 195 63
xdotool type --delay 20 "Alpha"
sleep 0.3
click_in "$manager" 70 142
sleep 0.3
click_in "$manager" 96 182
confirmation=$(wait_for_window --onlyvisible --name '^Delete the selected workspaces\?$') || exit 1
wait_mapped "$confirmation" 10000 || fail "the confirmation was not mapped"
sleep 0.4
screenshot manager-4-delete-confirmation
read -r _ _ cw ch < <(window_geometry "$confirmation")
# Delete is the button left of the default Cancel.
click_in "$confirmation" $((cw - 150)) $((ch - 25))
wait_unmapped "$confirmation" 10000 || fail "the confirmation stayed open"
for _ in $(seq 1 100); do
    [ -e "$data/workspaces/alpha.yaml" ] || break
    sleep 0.1
done
[ -e "$data/workspaces/alpha.yaml" ] && fail "alpha.yaml was not deleted"
[ -e "$data/workspaces/shop.yaml" ] || fail "shop.yaml went too"
[ -e "$data/workspaces/zulu.yaml" ] || fail "zulu.yaml went too"
sleep 0.5
screenshot manager-5-after-delete

kill -TERM "$app_pid"
wait_for_exit 10
echo "PASS"
