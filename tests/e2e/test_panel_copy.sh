#!/usr/bin/env bash
# Copying from the panel with real files and the real clipboard: Return copies a plain prompt,
# counts the use and marks the first-run copy step; a prompt with a variable asks for its value
# first, copies the rendered text and remembers the value; a required value left empty keeps
# the form open and the clipboard as it was.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
mkdir -p "$app_home/.orris-hollows"
cat >"$app_home/.orris-hollows/global.yaml" <<'YAML'
prompts:
  - id: "plain"
    title: "Plain"
    text: "Plain text"
  - id: "review"
    title: "Review"
    text: "Review {{file}} please"
YAML
launch_app "$1"

xdotool key super+shift+p
wait_mapped "$panel" 2000 || fail "the hot key did not open the panel"
sleep 0.4
xdotool key Return
sleep 0.3
[ "$(clipboard)" = "Plain text" ] || fail "Return did not copy the plain prompt (clipboard: $(clipboard))"
screenshot panel-copy-1-copied
usage="$app_home/.orris-hollows/prompt-usage.json"
grep -q '"promptID" : "plain"' "$usage" || fail "the usage file does not name the prompt: $(cat "$usage" 2>&1)"
grep -q '"successfulCopyCount" : 1' "$usage" || fail "the usage file does not count 1: $(cat "$usage")"

# The second tile's number opens the form; the typed value is copied and remembered.
xdotool key ctrl+2
sleep 0.5
screenshot panel-copy-2-variable-sheet
xdotool type --delay 20 "main.cpp"
xdotool key Return
sleep 0.4
[ "$(clipboard)" = "Review main.cpp please" ] || fail "the form did not copy the rendered text (clipboard: $(clipboard))"

# An emptied required value: Return keeps the form and the clipboard.
xdotool key ctrl+2
sleep 0.5
xdotool key ctrl+a BackSpace Return
sleep 0.4
screenshot panel-copy-3-required-value
[ "$(clipboard)" = "Review main.cpp please" ] || fail "an empty required value changed the clipboard: $(clipboard)"
xdotool key Escape
sleep 0.4
is_mapped "$panel" || fail "Escape in the form closed the panel"
# The selection is still on the prompt copied last; Left moves to the plain one.
xdotool key Left Return
sleep 0.3
[ "$(clipboard)" = "Plain text" ] || fail "after the form, the keys did not reach the panel: $(clipboard)"

kill -TERM "$app_pid"
wait_for_exit 10
grep -q '^OrrisHollows.firstRunSuccessfulCopy.v1=true$' "$app_settings" ||
    fail "the first-run copy step was not stored: $(cat "$app_settings")"
grep -q 'main.cpp' "$app_settings" || fail "the value was not remembered: $(cat "$app_settings")"
echo "PASS"
