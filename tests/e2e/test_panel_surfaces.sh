#!/usr/bin/env bash
# Surfaces drawn over other content are opaque: the panel over a terminal full of text, the hover
# preview over the tiles and the environment popover over the panel. Nothing under them may read
# through: sampled points of each surface away from its own text are as dark as the surface. In
# English at System and in Chinese at Large.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# dark_at X Y: succeeds when the screen's pixel there is dark.
dark_at() {
    local grey
    grey=$(import -window root -crop "1x1+$1+$2" -colorspace gray -depth 8 txt:- 2>/dev/null |
        awk -F'[(),]' '/^0,0:/ {print int($3)}')
    [ "${grey:-255}" -lt 60 ]
}

# run_case LANGUAGE TEXT_SIZE NAME APP
run_case() {
    make_home
    set_setting OrrisHollows.interfaceLanguage.v1 "$1"
    set_setting OrrisHollows.panelTextSize.v1 "$2"
    mkdir -p "$app_home/.orris-hollows"
    {
        echo "prompts:"
        for i in $(seq 1 9); do
            printf '  - id: "p%s"\n    title: "Prompt %s"\n    text: "A longer text for prompt %s that fills the preview with words to read."\n' "$i" "$i" "$i"
        done
    } >"$app_home/.orris-hollows/global.yaml"
    launch_app "$4"
    # A white terminal full of black text behind the panel.
    HOME="$app_home" xterm -geometry 200x60+0+0 -bg white -fg black -T "text behind" \
        -e sh -c 'yes "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor" | head -n 400; sleep 120' &
    extra_pids+=($!)
    wait_for_window --name '^text behind$' >/dev/null || exit 1
    sleep 1

    open_panel "$panel"
    read -r px py pw ph < <(window_geometry "$panel")
    sleep 0.5
    screenshot surfaces-$3-1-panel-over-text
    # Gaps of the island's body: beside the header's title, between the tile columns, beside the toolbar.
    for point in "$((px + pw / 2 + 40)) $((py + 100))" "$((px + 160)) $((py + 350))" "$((px + 40)) $((py + ph - 80))"; do
        dark_at $point || fail "the terminal reads through the island at $point"
    done

    # The hover preview over the tiles (the pointer rests on the first tile, below the getting-started
    # card).
    xdotool mousemove $((px + 90)) $((py + 500))
    sleep 1.6
    screenshot surfaces-$3-2-hover-preview

    # The environment popover (the header's info button).
    xdotool mousemove $((px + pw - 48)) $((py + 46))
    sleep 0.3
    xdotool click 1
    sleep 0.8
    screenshot surfaces-$3-3-environment-popover
    cleanup_app
    app_home=""
    app_pid=""
    extra_pids=()
}

run_case english system en-system "$1"
run_case zhHans large zh-large "$1"
echo "PASS"
