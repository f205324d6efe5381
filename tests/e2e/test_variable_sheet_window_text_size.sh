#!/usr/bin/env bash
# The variable form too tall for the panel opens as a window of its own, and that window is as
# large as its content at each text size, in English and Chinese: it stays inside the screen, no
# scroll bar shows, every label lies inside it, and at Large the window, a long variable name
# and the "Required" tags beside the names are wider than at System by the ratio of the text
# sizes, not cut to the System width (read through AT-SPI, with screenshots of each). The form
# still copies what is typed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

probe() { /usr/bin/python3 "$(dirname "$0")/helpers/atspi_probe.py" "$@"; }
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    fail "python3-gi with the Atspi typelib is not installed (script/deps test installs it)"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# sheet_window: prints the app's visible window that is neither the capsule nor the panel.
sheet_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
        [ "$id" != "$capsule" ] && [ "$id" != "$panel" ] && echo "$id" && return 0
    done
    return 1
}

long_name=the_release_notes_for_the_next_major_version

run_case() { # LANGUAGE SIZE NAME BINARY; sets sheet_width, tag_width, name_width
    make_home
    set_setting OrrisHollows.panelTextSize.v1 "$2"
    set_setting OrrisHollows.interfaceLanguage.v1 "$1"
    # Without the checklist the panel is at its lowest, too low for this form.
    set_setting OrrisHollows.firstRunTipsDismissed.v1 true
    mkdir -p "$app_home/.orris-hollows"
    cat >"$app_home/.orris-hollows/global.yaml" <<YAML
prompts:
  - id: "plan"
    title: "Plan"
    text: "Plan {{$long_name}} in {{Mode|fast}} mode for {{Scope}}, reviewed by {{Reviewer}}."
YAML
    launch_app "$4"
    xdotool mousemove 40 780
    open_panel "$panel"
    xdotool key ctrl+1
    local sheet
    poll_10s sheet_window >/dev/null || {
        screenshot "variable-sheet-window-$3-missing"
        fail "$3: the variable form did not open as a window"
    }
    sheet=$(sheet_window)
    wait_mapped "$sheet" 10000 || fail "$3: the variable form's window was not mapped"
    wait_geometry_settled "$sheet"
    sleep 0.5
    screenshot "variable-sheet-window-$3"

    local x y width height screen_height
    read -r x y width height < <(window_geometry "$sheet")
    screen_height=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[2]}')
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + width)) -le "$(screen_width)" ] &&
        [ $((y + height)) -le "$screen_height" ] || fail "$3: the form's window ${width}x${height}+$x+$y leaves the screen"
    [ "$width" -ge 440 ] && [ "$height" -ge 498 ] || fail "$3: the form's window is only ${width}x${height}"
    sheet_width=$width

    local bars labels tags
    bars=$(probe extents dialog "scroll bar") || fail "$3: the form's window is not readable"
    [ -z "$bars" ] || fail "$3: the form shows scroll bars: $bars"
    labels=$(probe extents dialog label) || fail "$3: the form's labels are not readable"
    tags=$(grep -c -E ' (Required|必填)$' <<<"$labels")
    [ "$tags" -eq 3 ] || fail "$3: $tags required tags show, not 3: $labels"
    tag_width=$(grep -m 1 -E ' (Required|必填)$' <<<"$labels" | cut -d' ' -f3)
    name_width=$(grep -m 1 -E " $long_name\$" <<<"$labels" | cut -d' ' -f3)
    [ -n "$name_width" ] || fail "$3: no label names $long_name: $labels"
    # Each label inside the window.
    while read -r lx ly lw lh name; do
        [ "$lx" -ge "$x" ] && [ "$ly" -ge "$y" ] && [ $((lx + lw)) -le $((x + width)) ] &&
            [ $((ly + lh)) -le $((y + height)) ] || fail "$3: the label '$name' at ${lw}x${lh}+$lx+$ly is cut by the window"
    done <<<"$labels"

    xdotool type --delay 30 "main.cpp"
    xdotool key Tab Tab
    xdotool type --delay 30 "api"
    xdotool key Tab
    xdotool type --delay 30 "Ada"
    xdotool key Return
    wait_clipboard "Plan main.cpp in fast mode for api, reviewed by Ada." ||
        fail "$3: the form did not copy (clipboard: $(clipboard))"
    cleanup_app
    app_home=""
    app_pid=""
}

# at_least_scaled LARGE SYSTEM: LARGE is at least 1.2 times SYSTEM (the text grows by 17/13, the
# captions by 13/10).
at_least_scaled() { [ $(($1 * 10)) -ge $(($2 * 12)) ]; }

for language in english zhHans; do
    run_case "$language" system "$language-system" "$1"
    read -r system_sheet system_tag system_name <<<"$sheet_width $tag_width $name_width"
    run_case "$language" large "$language-large" "$1"
    [ "$sheet_width" -gt "$system_sheet" ] ||
        fail "$language: the form is $sheet_width wide at Large and $system_sheet at System"
    at_least_scaled "$tag_width" "$system_tag" ||
        fail "$language: the required tag is $tag_width wide at Large and $system_tag at System"
    at_least_scaled "$name_width" "$system_name" ||
        fail "$language: the long name is $name_width wide at Large and $system_name at System"
done
echo "PASS"
