#!/usr/bin/env bash
# The panel over a terminal whose title names a project folder with an untrusted project file,
# in a home whose workspace folder holds a malformed file: the hot key opens the panel with the
# trust banner under the header and the configuration-issue banner under it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
set_setting OrrisHollows.advancedAutomaticMatchingEnabled.v1 true
mkdir -p "$app_home/.orris-hollows/workspaces" "$app_home/shop/src"
printf 'workspace: [unclosed\n  - :\n' >"$app_home/.orris-hollows/workspaces/broken.yaml"
cat >"$app_home/.orris-hollows/workspaces/alpha.yaml" <<'YAML'
workspace:
  name: "Alpha"
  match_paths: []

prompts:
  - id: "a1"
    title: "Alpha prompt"
    group: "General"
    text: "Alpha"
YAML
cat >"$app_home/shop/.orris-hollows.yaml" <<'YAML'
workspace:
  name: "Shop"

prompts:
  - id: "s1"
    title: "Check the shop"
    group: "General"
    text: "Check the shop"
YAML

start_app "$1"
capsule=$(app_window_sized 38 24) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
panel=$(app_panel_window "$capsule") || exit 1

HOME="$app_home" xterm -T "user@host: ~/shop" -e sleep 120 &
extra_pids+=($!)
terminal=$(wait_for_window --name '^user@host: ~/shop$') || exit 1
xdotool windowactivate "$terminal" 2>/dev/null
sleep 1.5

xdotool key super+shift+p
wait_mapped "$panel" 5000 || fail "the hot key did not open the panel"
sleep 1
screenshot panel-header-trust-and-issue-banners
