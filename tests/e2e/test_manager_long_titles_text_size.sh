#!/usr/bin/env bash
# The workspace manager with a prompt whose title runs to 115 characters, at its default size:
# every row's Edit and Delete stay inside the window, and both still work. Run once at the System
# text size and once at Large: the Large run's manager, welcome guide and import sheet draw their
# titles wider (their text measured on the screen).
set -uo pipefail
source "$(dirname "$0")/lib.sh"

app_binary=$1
long_title="Review the checkout flow for every payment provider and write down each failure mode with its retry rules and alert"
[ ${#long_title} -eq 115 ] || fail "the long title is ${#long_title} characters"

# text_width WINDOW X Y W H: the width in pixels of the light text inside that part of the window.
text_width() {
    local x y
    read -r x y _ _ < <(window_geometry "$1")
    import -window root -crop "${4}x${5}+$((x + $2))+$((y + $3))" +repage png:- 2>/dev/null |
        convert png:- -colorspace gray -threshold 55% -trim -format '%w' info: 2>/dev/null
}

# red_icons WINDOW LEFT: "right y" of each cluster of the destructive red (the trash icons) right
# of LEFT (relative to the window), from the top: its rightmost pixel and its middle, on the screen.
red_icons() {
    local x y width height
    read -r x y width height < <(window_geometry "$1")
    import -window root -crop "$((width - $2))x${height}+$((x + $2))+${y}" +repage -depth 8 txt:- 2>/dev/null |
        awk -F'[(,): ]+' -v ox=$((x + $2)) -v oy="$y" '
            NR > 1 && $3 >= 200 && $4 <= 120 && $5 <= 120 { print $2, $1 }' | sort -n -k1,1 |
        awk -v ox=$((x + $2)) -v oy="$y" '
            function flush() { if (n > 0) printf "%d %d\n", ox + right, oy + int((top + bottom) / 2) }
            { if (n == 0 || $1 - bottom > 6) { flush(); n = 0; top = $1; right = 0 }
              n++; bottom = $1; if ($2 > right) right = $2 }
            END { flush() }'
}

# run_case SIZE: one launch at that text size; sets manager_title, welcome_title, sheet_title.
run_case() {
    make_home
    set_setting OrrisHollows.panelTextSize.v1 "$1"
    local data="$app_home/.orris-hollows"
    mkdir -p "$data/workspaces"
    cat >"$data/global.yaml" <<'YAML'
prompts:
  - id: "everywhere"
    title: "Everywhere"
    text: "A global prompt"
YAML
    cat >"$data/workspaces/long.yaml" <<YAML
workspace:
  name: "Long"
  match_paths: []

prompts:
  - id: "short"
    title: "Short"
    group: "General"
    text: "A short prompt"
  - id: "long"
    title: "$long_title"
    group: "General"
    text: "$long_title"
YAML

    launch_app "$app_binary"
    open_menu "$capsule" 19 12 "(for the manager)"
    pick_menu_row 2
    manager=$(wait_for_window --onlyvisible --name '^Workspace Manager$') || exit 1
    wait_mapped "$manager" 10000 || fail "the manager window was not mapped"
    sleep 0.8
    read -r mx my mw mh < <(window_geometry "$manager")
    [ "$mw" -eq 980 ] || fail "the manager is $mw wide at its default size"
    manager_title=$(text_width "$manager" 14 8 320 40)

    # Only "Long" in the list, chosen with the keyboard from the list.
    click_in "$manager" 195 63
    xdotool type --delay 20 "Long"
    sleep 0.5
    click_in "$manager" 200 $((mh - 40))
    xdotool key Down Return
    sleep 0.8
    screenshot "manager-long-title-$1"

    # Both rows' Delete (the red trash) lie inside the window, right of the sidebar, and Edit
    # (the pencil) left of it.
    local icons count=0 ix iy
    icons=$(red_icons "$manager" 400)
    while read -r ix iy; do
        [ -n "$ix" ] || continue
        count=$((count + 1))
        [ "$ix" -le $((mx + mw - 12)) ] ||
            fail "($1) a Delete button reaches x=$ix, past the window's right edge $((mx + mw))"
        last_x=$((ix - 5))
        last_y=$iy
    done <<<"$icons"
    [ "$count" -eq 2 ] || fail "($1) $count Delete buttons in the detail pane, not 2: $icons"

    # The long row (the second) deletes after a question; cancelled here, nothing goes.
    click_at "$last_x" "$last_y"
    local question
    question=$(wait_for_window --onlyvisible --name '^Delete this prompt\?$') || exit 1
    wait_mapped "$question" 10000 || fail "($1) the delete question was not mapped"
    sleep 0.4
    screenshot "manager-long-title-$1-delete-question"
    xdotool key Escape
    wait_unmapped "$question" 10000 || fail "($1) Escape did not close the question"
    grep -q '"long"' "$data/workspaces/long.yaml" || fail "($1) the prompt went although the question was cancelled"
    # Its pencil, 30 pixels left of the trash, opens the editor on it.
    click_at $((last_x - 30)) "$last_y"
    local editor
    editor=$(wait_for_window --onlyvisible --name '^Edit Prompt$') || exit 1
    wait_mapped "$editor" 10000 || fail "($1) the prompt editor was not mapped"
    sleep 0.4
    screenshot "manager-long-title-$1-editor"
    xdotool key Escape
    wait_unmapped "$editor" 10000 || fail "($1) Escape did not close the editor"

    # The welcome guide, from the status item's menu.
    open_menu "$capsule" 19 12 "(for the welcome guide)"
    pick_menu_row 4
    local welcome
    welcome=$(wait_for_window --onlyvisible --name '^Welcome to Orris Hollows$') || exit 1
    wait_mapped "$welcome" 10000 || fail "($1) the welcome guide was not mapped"
    sleep 0.8
    welcome_title=$(text_width "$welcome" 20 16 660 60)
    screenshot "welcome-$1"
    xdotool key Escape
    wait_unmapped "$welcome" 10000 || fail "($1) Escape did not close the welcome guide"

    # The import sheet, from the panel's toolbar (its third button).
    click_in "$capsule" 19 12
    wait_mapped "$panel" 10000 || fail "($1) the status item did not open the panel"
    wait_geometry_settled "$panel"
    local px py pw ph sheet
    read -r px py pw ph < <(window_geometry "$panel")
    click_at $((px + pw / 2 + 145)) $((py + ph - 51))
    sheet=$(wait_for_window --onlyvisible --name '^Import Prompts$') || exit 1
    wait_mapped "$sheet" 10000 || fail "($1) the import sheet was not mapped"
    sleep 0.6
    sheet_title=$(text_width "$sheet" 10 8 400 36)
    screenshot "import-sheet-$1"
    xdotool key Escape

    kill -TERM "$app_pid"
    wait_for_exit 10
    rm -rf "$app_home"
    app_home=""
}

run_case system
system=("$manager_title" "$welcome_title" "$sheet_title")
run_case large
large=("$manager_title" "$welcome_title" "$sheet_title")
names=(manager "welcome guide" "import sheet")
for i in 0 1 2; do
    [ -n "${system[$i]}" ] && [ -n "${large[$i]}" ] || fail "the ${names[$i]}'s title was not measured"
    # 13 to 17 pixels of base size: at least a fifth wider.
    [ $((large[i] * 5)) -ge $((system[i] * 6)) ] ||
        fail "the ${names[$i]}'s title is ${system[$i]} pixels wide at System and ${large[$i]} at Large"
done
echo "system ${system[*]} large ${large[*]}"
echo "PASS"
