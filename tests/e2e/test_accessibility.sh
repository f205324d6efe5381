#!/usr/bin/env bash
# What a screen reader gets, read through AT-SPI on the private session bus: every control that
# takes focus has a name; moving the selection with the keyboard names the newly selected tile
# while the search field keeps focus, and sends name changes only for names that changed; a copy
# puts "Copied" first in the tile's description; the grid/list switch is a checked choice and
# the variable form a modal dialog; the environment card is found and read. The settings window's pages likewise, with their
# controls tied to their labels, the welcome guide and the workspace manager.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

probe() { /usr/bin/python3 "$(dirname "$0")/helpers/atspi_probe.py" "$@"; }
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    fail "python3-gi with the Atspi typelib is not installed (script/deps test installs it)"

make_home
mkdir -p "$app_home/.orris-hollows"
{
    echo "prompts:"
    for i in 1 2 3; do
        printf '  - id: "p%s"\n    title: "Prompt %s"\n    text: "Text %s"\n' "$i" "$i" "$i"
    done
    printf '  - id: "p4"\n    title: "Greeting"\n    text: "Hello {{ name }} in {{ place | here }}"\n'
} >"$app_home/.orris-hollows/global.yaml"
mkdir -p "$app_home/.orris-hollows/workspaces"
printf 'workspace:\n  name: "Alpha"\n  match_paths: []\n\nprompts:\n  - id: "a1"\n    title: "Alpha prompt"\n    text: "Alpha"\n' \
    >"$app_home/.orris-hollows/workspaces/alpha.yaml"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
launch_app "$1"
# Opening the panel announces the first selection, with the focus in the search field.
events=$(probe events super+shift+p) || fail "could not listen to the accessibility events"
wait_mapped "$panel" 10000 || fail "the hot key did not open the panel"
wait_geometry_settled "$panel"
echo "$events" | grep -q "^object:state-changed:selected 1 \[push button\] 'Prompt 1, Shortcut Ctrl+1'" ||
    fail "opening the panel sent no event naming the selected first tile:
$events"
[ "$(probe focused "Orris Hollows")" = "[text] 'Search prompts'" ] || fail "the search field has no focus"
screenshot accessibility-1-panel

probe names "Orris Hollows" || fail "the panel has unnamed controls"

# Right: the second tile is announced as selected; the first one is no longer.
events=$(probe events Right) || fail "could not listen to the accessibility events"
echo "$events" | grep -q "^object:state-changed:selected 1 \[push button\] 'Prompt 2, Shortcut Ctrl+2'" ||
    fail "Right sent no event naming the second tile:
$events"
echo "$events" | grep -q "^object:state-changed:selected 0 \[push button\] 'Prompt 1, Shortcut Ctrl+1'" ||
    fail "Right did not take the selection off the first tile:
$events"
renamed=$(echo "$events" | grep -c "accessible-name")
[ "$renamed" -le 3 ] || fail "Right sent $renamed name changes:
$events"

# Ctrl+1 copies the first tile: its value, read first in its description, becomes "Copied".
events=$(probe events ctrl+1) || fail "could not listen to the accessibility events"
wait_clipboard "Text 1" || fail "Ctrl+1 did not copy the first prompt"
echo "$events" | grep -q "^object:property-change:accessible-description 0 \[push button\] 'Prompt 1, Shortcut Ctrl+1' = Copied, " ||
    fail "the copy did not change the first tile's value to Copied:
$events"
renamed=$(echo "$events" | grep -c "accessible-name")
[ "$renamed" -le 3 ] || fail "Ctrl+1 sent $renamed name changes:
$events"

# The environment card: Shift+Tab from the search field reaches its button and Space opens it; the
# card takes the focus, is among the app's windows and reads as rows of title and value. Escape
# closes it and gives the focus back to the search field.
events=$(probe events shift+Tab space) || fail "could not listen to the accessibility events"
echo "$events" | grep -q "^focus: 0 \[frame\] 'Current environment'" || fail "the card did not take the focus:
$events"
probe names "Current environment" || fail "the card has unnamed controls"
probe find "Current environment" label "Binding: None" >/dev/null || fail "the card's rows are not readable"
screenshot accessibility-2-environment
xdotool key Escape
sleep 0.5
[ "$(probe focused "Orris Hollows")" = "[text] 'Search prompts'" ] ||
    fail "closing the card did not give the focus back to the panel: $(probe focused "Orris Hollows")"

# The layout picker: a radio choice whose current case is checked and "Selected"; Tab reaches the
# other case and Space picks it.
grid=$(probe find "Orris Hollows" "radio button" "Grid") || fail "the layout picker is no radio choice"
echo "$grid" | grep -q "^states:.* checked" || fail "the current layout is not checked: $grid"
echo "$grid" | grep -qx "description: Selected" || fail "the current layout is not Selected: $grid"
reached=""
for _ in $(seq 1 20); do
    xdotool key Tab
    sleep 0.15
    if [ "$(probe focused "Orris Hollows")" = "[radio button] 'List'" ]; then
        reached=yes
        break
    fi
done
[ -n "$reached" ] || fail "Tab never reached the List layout"
xdotool key space
sleep 0.6
list=$(probe find "Orris Hollows" "radio button" "List") || fail "the List layout went away"
echo "$list" | grep -qx "description: Selected" || fail "Space did not pick the List layout: $list"
screenshot accessibility-3-list-layout
grep -q "panelLayoutMode.v1=list" "$app_settings" || fail "the List layout was not stored"

# The variable form: a modal dialog named by its title, its controls named, the panel behind it
# out of use until it closes.
xdotool key ctrl+4
sleep 0.8
screenshot accessibility-4-form
form=$(probe find "Orris Hollows" dialog "Fill in the variables") || fail "the form is not a dialog named by its title"
echo "$form" | grep -q "^states:.* modal" || fail "the form is not modal: $form"
probe names "Orris Hollows" || fail "the form has unnamed controls"
[ "$(probe focused "Orris Hollows")" = "[text] 'name'" ] || fail "the form's first field has no focus"
behind=$(probe find "Orris Hollows" "push button" "Prompt 1, Shortcut Ctrl+1") || fail "no first tile"
echo "$behind" | grep -q "^states:.* enabled" && fail "the tiles behind the form are still in use: $behind"
xdotool key Escape
sleep 0.5
[ "$(probe focused "Orris Hollows")" = "[text] 'Search prompts'" ] ||
    fail "closing the form did not give the focus back to the search field: $(probe focused "Orris Hollows")"

# The settings window: every page's controls are named; the combo boxes by their row labels, to
# which they are tied; the text size is a choice of radio buttons; the two recorders differ.
xdotool key ctrl+comma
settings=$(wait_for_window --onlyvisible --name 'Orris Hollows Settings') || exit 1
# The panel hands over to the settings window: it closes, the settings window is in front with its
# page list focused.
wait_unmapped "$panel" 10000 || fail "the panel did not close when the settings opened"
xdotool windowactivate "$settings" 2>/dev/null
sleep 0.8
[ "$(probe focused "Orris Hollows Settings")" = "[list] 'Settings'" ] ||
    fail "the settings page list has no focus: $(probe focused "Orris Hollows Settings")"
for page in "Getting Started" General Prompts Shortcuts Updates; do
    probe names "Orris Hollows Settings" || fail "the settings page $page has unnamed controls"
    [ "$page" = General ] && screenshot accessibility-5-settings-general
    xdotool key Down
    sleep 0.4
done
for label in Language "Copy sound" "Sort prompts"; do
    combo=$(probe find "Orris Hollows Settings" "combo box" "$label") || fail "no combo box named $label"
    echo "$combo" | grep -qx "labelled-by: $label" || fail "the combo box $label is not tied to its label:
$combo"
done
choice=$(probe find "Orris Hollows Settings" "radio button" "System") || fail "the text size is no radio choice"
echo "$choice" | grep -q "^states:.* checked" || fail "the chosen text size is not checked: $choice"
probe find "Orris Hollows Settings" "radio button" "Large" >/dev/null || fail "Large is no radio choice"
probe find "Orris Hollows Settings" "push button" "Panel shortcut" >/dev/null || fail "no recorder named Panel shortcut"
probe find "Orris Hollows Settings" "push button" "Prompt number keys" >/dev/null ||
    fail "no recorder named Prompt number keys"

# The welcome guide, and the workspace manager with a workspace chosen from its list by keyboard.
probe press "Orris Hollows Settings" "push button" "Show the Welcome Guide" || fail "could not ask for the guide"
wait_for_window --onlyvisible --name 'Welcome to Orris Hollows' >/dev/null || exit 1
sleep 0.5
probe names "Welcome to Orris Hollows" || fail "the welcome guide has unnamed controls"
probe press "Orris Hollows Settings" "push button" "Manage Workspaces" || fail "could not ask for the manager"
wait_for_window --onlyvisible --name 'Workspace Manager' >/dev/null || exit 1
sleep 0.8
for _ in $(seq 1 12); do
    case "$(probe focused "Workspace Manager")" in "[list]"*) break ;; esac
    xdotool key Tab
    sleep 0.15
done
xdotool key Down Return
sleep 0.8
screenshot accessibility-6-manager
probe find "Workspace Manager" label "Prompts: 1" >/dev/null || fail "the manager did not show Alpha"
probe names "Workspace Manager" || fail "the workspace manager has unnamed controls"
probe find "Workspace Manager" "push button" "Clear Search" >/dev/null || fail "the search's clear button has no name"
echo "PASS"
