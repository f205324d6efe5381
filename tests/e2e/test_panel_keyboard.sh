#!/usr/bin/env bash
# The panel from the keyboard, on a home of twelve prompts: the hot key opens it and the first
# tile is selected shortly after; Right moves the selection (Return copies what is selected);
# typed text goes to the search field, Escape clears it and a second Escape closes the panel;
# Ctrl+, opens the settings window, and a second request shows the same window.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
mkdir -p "$app_home/.orris-hollows"
{
    echo "prompts:"
    for i in $(seq 1 12); do
        printf '  - id: "p%s"\n    title: "Prompt %s"\n    text: "Text %s"\n' "$i" "$i" "$i"
    done
} >"$app_home/.orris-hollows/global.yaml"
launch_app "$1"

xdotool key super+shift+p
wait_mapped "$panel" 2000 || fail "the hot key did not open the panel"
sleep 0.4
screenshot panel-keyboard-1-open
xdotool key Return
sleep 0.3
[ "$(clipboard)" = "Text 1" ] || fail "Return did not copy the first prompt (clipboard: $(clipboard))"

xdotool key Right Return
sleep 0.3
[ "$(clipboard)" = "Text 2" ] || fail "Right then Return did not copy the second prompt (clipboard: $(clipboard))"

# A search that matches one prompt, then Return copies it.
xdotool type --delay 30 "Prompt 12"
sleep 0.3
screenshot panel-keyboard-2-search
xdotool key Return
sleep 0.3
[ "$(clipboard)" = "Text 12" ] || fail "the search did not reach the field (clipboard: $(clipboard))"

xdotool key Escape
sleep 0.4
is_mapped "$panel" || fail "the first Escape closed the panel instead of clearing the search"
xdotool key Return
sleep 0.3
[ "$(clipboard)" = "Text 12" ] || fail "after clearing, Return copied something unexpected: $(clipboard)"
xdotool key Escape
wait_unmapped "$panel" 2000 || fail "the second Escape did not close the panel"

# Ctrl+, opens the settings window; asking again shows the same one.
xdotool key super+shift+p
wait_mapped "$panel" 2000 || fail "the panel did not open again"
sleep 0.4
before=$(xdotool search --classname '^orris-hollows$' | wc -l)
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Orris Hollows Settings') || exit 1
screenshot panel-keyboard-3-settings
xdotool key super+shift+p
sleep 0.6
xdotool key ctrl+comma
sleep 0.6
after=$(xdotool search --classname '^orris-hollows$' | wc -l)
[ "$after" -eq $((before + 1)) ] || fail "a second request made another settings window ($before -> $after)"
is_mapped "$settings" || fail "the settings window went away"
echo "PASS"
