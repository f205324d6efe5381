#!/usr/bin/env bash
# The interface text size reaches the panel's search field and the variable sheet: in English at
# Large and in Chinese at Large, the hot key opens the panel, typed text shows in the search, and
# Ctrl+2 opens the variable sheet, whose form takes the keys (screenshots of each).
set -uo pipefail
source "$(dirname "$0")/lib.sh"

run_case() { # LANGUAGE NAME
    make_home
    set_setting OrrisHollows.panelTextSize.v1 large
    set_setting OrrisHollows.interfaceLanguage.v1 "$1"
    mkdir -p "$app_home/.orris-hollows"
    {
        echo "prompts:"
        printf '  - id: "p1"\n    title: "Review the pull request carefully"\n    text: "Review the change and list every risk you find."\n'
        printf '  - id: "p2"\n    title: "Greet"\n    text: "Hello {{ name }}"\n'
        for i in $(seq 3 12); do
            printf '  - id: "p%s"\n    title: "Prompt %s"\n    text: "Text %s"\n' "$i" "$i" "$i"
        done
    } >"$app_home/.orris-hollows/global.yaml"
    launch_app "$3"
    xdotool mousemove 40 780
    open_panel "$panel"
    sleep 0.5
    screenshot "text-size-$2-1-panel"
    xdotool type --delay 30 "Rev"
    sleep 0.5
    screenshot "text-size-$2-2-search"
    xdotool key Escape
    sleep 0.3
    xdotool key ctrl+2
    sleep 0.8
    screenshot "text-size-$2-3-variable-sheet"
    xdotool type --delay 30 "Ada"
    xdotool key Return
    wait_clipboard "Hello Ada" || fail "the variable sheet at Large ($2) did not copy (clipboard: $(clipboard))"
    cleanup_app
    app_home=""
    app_pid=""
}

run_case english en-large "$1"
run_case zhHans zh-large "$1"
echo "PASS"
