#!/usr/bin/env bash
# The panel over a terminal whose title names a project folder with an untrusted project file,
# in a home whose workspace folder holds a malformed file: the hot key opens the panel with the
# unbound banner and the trust banner under the header and the configuration-issue banner under
# them, the panel tall enough for all three. Clicking Trust writes the trust file and shows the
# project's prompt, which Return then copies.
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

start_terminal "~/shop"

xdotool key super+shift+p
wait_mapped "$panel" 10000 || fail "the hot key did not open the panel"
# One prompt would give 480; the three banners make the panel taller.
deadline=$(($(now_ms) + 10000))
while read -r _ _ _ height < <(window_geometry "$panel") && [ "$height" -le 480 ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the panel stayed $height high with three banners"
    sleep 0.1
done
sleep 0.5
screenshot panel-header-trust-and-issue-banners

trust_file="$app_home/.orris-hollows/trusted-project-configs.json"
[ ! -e "$trust_file" ] || fail "the project file was trusted before the click: $(cat "$trust_file")"
# The Trust button is the panel's one block in the accent colour.
position=$(find_colour_block "$panel" FF4D7E 30) || fail "no Trust button in the panel"
read -r trust_x trust_y <<<"$position"
xdotool mousemove "$trust_x" "$trust_y" click 1
deadline=$(($(now_ms) + 10000))
# Its paths are written with "/" escaped.
until grep -q 'orris-hollows.yaml' "$trust_file" 2>/dev/null; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "clicking Trust at $trust_x,$trust_y wrote no trust file"
    sleep 0.1
done
# Off the tiles, so no preview pops up over them.
read -r panel_x panel_y _ _ < <(window_geometry "$panel")
xdotool mousemove $((panel_x + 40)) $((panel_y + 30))
sleep 0.5
screenshot panel-header-after-trust
deadline=$(($(now_ms) + 10000))
until [ "$(clipboard)" = "Check the shop" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "Return did not copy the project's prompt (clipboard: $(clipboard))"
    xdotool key Return
    sleep 0.3
done
echo "PASS"
