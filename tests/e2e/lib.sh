# Helpers for the end-to-end scripts, which run under with-display.
# The app binary is the first argument of each script.

# Processes a script starts besides the app (a tray host, say); ended by id on exit.
extra_pids=()

fail() {
    echo "FAIL: $*" >&2
    [ -n "${app_log:-}" ] && [ -f "$app_log" ] && sed 's/^/  app: /' "$app_log" >&2
    exit 1
}

cleanup_app() {
    local pid
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    for pid in "${extra_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    [ -n "${app_home:-}" ] && rm -rf "$app_home"
}

# make_home: a fresh temporary home for the app; sets app_home, app_log and app_settings (the
# settings file, which a script may write before it starts the app).
make_home() {
    app_home=$(mktemp -d)
    app_log="$app_home/app.log"
    app_settings="$app_home/.config/orris-hollows/settings.ini"
    trap cleanup_app EXIT
    # The welcome guide is done, so the app starts with its status item alone; a script about the
    # first run removes this line (set_setting writes further keys).
    mkdir -p "$(dirname "$app_settings")"
    printf '[General]\nOrrisHollows.firstRunWelcomeCompleted.v1=true\n' >"$app_settings"
}

# set_setting KEY VALUE: adds a key to the settings file before the app starts.
set_setting() {
    printf '%s=%s\n' "$1" "$2" >>"$app_settings"
}

# run_in_home BINARY [ARGS...]: runs the binary in the app's home, in the foreground.
run_in_home() {
    HOME="$app_home" XDG_CONFIG_HOME="$app_home/.config" XDG_DATA_HOME="$app_home/.local/share" "$@"
}

# launch_app BINARY: starts the app (start_app) and waits for its capsule to be mapped; sets
# capsule and panel, the capsule's window and the panel's.
launch_app() {
    start_app "$1"
    capsule=$(app_capsule_window) || exit 1
    panel=$(app_panel_window "$capsule") || exit 1
    wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
}

# app_capsule_window: prints the capsule's window: right after launch (with the welcome guide
# done) the app's only mapped window. It is 38x24 where the window manager allows; i3 makes it
# larger, with the capsule drawn in the middle. Fails after 10 s.
app_capsule_window() {
    local id
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its capsule appeared"
        sleep 0.05
    done
    fail "no capsule window"
}

# point_at_capsule: moves the pointer to the middle of the capsule, where the pill is drawn.
point_at_capsule() {
    local width height
    read -r _ _ width height < <(window_geometry "$capsule")
    xdotool mousemove --window "$capsule" $((width / 2)) $((height / 2))
}

# start_app BINARY [ARGS...]: starts the app in the background (in a fresh home unless make_home
# ran); sets app_pid.
start_app() {
    [ -n "${app_home:-}" ] || make_home
    # Not through run_in_home: $! must be the app itself, for the signals the scripts send.
    HOME="$app_home" XDG_CONFIG_HOME="$app_home/.config" XDG_DATA_HOME="$app_home/.local/share" \
        "$@" >>"$app_log" 2>&1 &
    app_pid=$!
}

# now_ms: the wall clock in milliseconds.
now_ms() {
    date +%s%3N
}

# screenshot NAME: saves the screen as NAME.png in $ORRIS_SCREENSHOT_DIR (when set).
screenshot() {
    [ -n "${ORRIS_SCREENSHOT_DIR:-}" ] || return 0
    mkdir -p "$ORRIS_SCREENSHOT_DIR"
    import -window root "$ORRIS_SCREENSHOT_DIR/$1.png" 2>/dev/null || echo "note: no screenshot $1" >&2
}

# wait_for_window XDOTOOL_SEARCH_ARGS...: prints the first matching window id, or fails after 10 s.
wait_for_window() {
    local id
    for _ in $(seq 1 200); do
        id=$(xdotool search "$@" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its window appeared"
        sleep 0.05
    done
    fail "no window for: $*"
}

# start_terminal FOLDER [SECONDS]: an xterm titled "user@host: FOLDER" (as a shell shows its
# folder, "~/shop") in front, so the context is a recognised agent in that folder. It lives
# SECONDS (120) and ends with the script.
start_terminal() {
    HOME="$app_home" xterm -T "user@host: $1" -e sleep "${2:-120}" &
    extra_pids+=($!)
    local terminal
    terminal=$(wait_for_window --name "^user@host: $1\$") || exit 1
    xdotool windowactivate "$terminal" 2>/dev/null
    sleep 1.5
}

# app_window_sized WIDTH HEIGHT: prints the first of the app's windows, mapped or not, of that
# size (the capsule is 38x24); fails after 10 s. Call it as `id=$(app_window_sized ...) || exit 1`.
app_window_sized() {
    local id
    for _ in $(seq 1 200); do
        for id in $(xdotool search --classname '^orris-hollows$' 2>/dev/null); do
            if [ "$(window_geometry "$id" 2>/dev/null | cut -d' ' -f3-)" = "$1 $2" ]; then
                echo "$id"
                return 0
            fi
        done
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its ${1}x${2} window appeared"
        sleep 0.05
    done
    fail "no ${1}x${2} window"
}

# app_panel_window STATUS_ITEM_ID: prints the panel's window, which the app makes hidden at launch
# right after its status item: its only other window then. The panel has no size of its own until
# it is first shown. Call it right after launch, as `id=$(app_panel_window ...) || exit 1`.
app_panel_window() {
    local id found
    for _ in $(seq 1 200); do
        found=()
        for id in $(xdotool search --classname '^orris-hollows$' 2>/dev/null); do
            [ "$id" != "$1" ] && found+=("$id")
        done
        if [ ${#found[@]} -eq 1 ]; then
            echo "${found[0]}"
            return 0
        fi
        [ ${#found[@]} -gt 1 ] && fail "more than one window besides the status item: ${found[*]}"
        kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its panel window appeared"
        sleep 0.05
    done
    fail "no panel window"
}

# is_mapped ID: succeeds when the window is viewable.
is_mapped() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# wait_mapped ID MILLISECONDS / wait_unmapped ID MILLISECONDS: poll until the window is (not)
# viewable; status 1 when the time runs out.
wait_mapped() {
    local deadline=$(($(now_ms) + $2))
    while ! is_mapped "$1"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.01
    done
}
wait_unmapped() {
    local deadline=$(($(now_ms) + $2))
    while is_mapped "$1"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.01
    done
}

# wait_for_exit SECONDS: fails unless the app ends within the time with status 0.
wait_for_exit() {
    for _ in $(seq 1 $(($1 * 20))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid"
            local status=$?
            app_pid=""
            [ "$status" -eq 0 ] || fail "the app ended with status $status"
            return 0
        fi
        sleep 0.05
    done
    fail "the app still runs after $1 s"
}

# window_geometry ID: prints "x y width height".
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# screen_width: the width of the screen in pixels.
screen_width() {
    xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}'
}

# check_capsule ID: fails unless the window is mapped, 38x24 and at the top centre of the screen.
check_capsule() {
    local x y width height centre
    is_mapped "$1" || fail "the capsule is not mapped"
    read -r x y width height < <(window_geometry "$1")
    [ "$width" -eq 38 ] && [ "$height" -eq 24 ] || fail "capsule is ${width}x${height}"
    centre=$((x + width / 2 - $(screen_width) / 2))
    [ "$centre" -ge -2 ] && [ "$centre" -le 2 ] || fail "capsule at x=$x, not centred"
    [ "$y" -le 10 ] || fail "capsule at y=$y, not at the top"
}

# check_panel_below ID ANCHOR_X ANCHOR_Y ANCHOR_WIDTH ANCHOR_HEIGHT: fails unless the mapped panel
# is 520 wide, just below the anchor and centred on it (or kept inside the screen).
check_panel_below() {
    local x y width height gap centre
    read -r x y width height < <(window_geometry "$1")
    [ "$width" -eq 520 ] || fail "panel is $width wide"
    gap=$((y - ($3 + $5)))
    [ "$gap" -ge 0 ] && [ "$gap" -le 16 ] || fail "panel at y=$y, anchor bottom at $(($3 + $5))"
    centre=$((x + width / 2 - ($2 + $4 / 2)))
    if [ $((x + width)) -lt $(($(screen_width) - 16)) ]; then
        [ "$centre" -ge -2 ] && [ "$centre" -le 2 ] || fail "panel at x=$x, not centred under x=$2"
    else
        # Clamped to the right edge: the anchor still lies within the panel's width.
        [ "$2" -ge "$x" ] || fail "panel at x=$x does not reach the anchor at x=$2"
    fi
}

# open_menu STATUS_ITEM_ID X Y [WHAT]: right-clicks the status item at X,Y (relative to it) and
# waits for its menu; then moves the pointer off the menu, so no row is chosen by hovering. Sets
# menu.
open_menu() {
    local id width height deadline
    menu=""
    xdotool mousemove --window "$1" "$2" "$3" click 3
    deadline=$(($(now_ms) + 10000))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --classname '^orris-hollows$' 2>/dev/null); do
            # Not the status item, the panel, a tooltip or one of the app's windows.
            read -r _ _ width height < <(window_geometry "$id")
            [ "$id" != "$1" ] && [ "$height" -gt 100 ] && [ "$height" -lt 400 ] && [ "$width" -lt 500 ] &&
                menu=$id
        done
        [ -n "$menu" ] && break
        sleep 0.05
    done
    [ -n "$menu" ] || fail "a right click showed no menu ${4:-}"
    xdotool mousemove 640 700
}

# pick_menu_row N: chooses the Nth row of the open menu with the keyboard (separators skipped).
pick_menu_row() {
    xdotool key --delay 30 $(printf 'Down %.0s' $(seq 1 "$1")) Return
}

# has_ancestor_named ID NAME: succeeds when a window above ID (up to the root) has that name.
has_ancestor_named() {
    local id=$1 parent
    for _ in 1 2 3 4 5 6; do
        parent=$(xwininfo -children -id "$id" 2>/dev/null | awk '/Parent window id:/ {print $4; print $5}')
        [ -n "$parent" ] || return 1
        case "$parent" in *"\"$2\""*) return 0 ;; esac
        id=$(echo "$parent" | head -n 1)
        [ "$(xwininfo -root | awk '/Window id:/ {print $4}')" = "$id" ] && return 1
    done
    return 1
}

# find_colour_block WINDOW_ID RRGGBB [MIN_RUN] [TOLERANCE] [INDEX] [MAX_HEIGHT]: prints "x y", the
# centre (in screen coordinates) of the INDEXth (default first) block, from the top, of the
# window's pixels in that colour (each channel within TOLERANCE, default 24), such as a filled
# button: a block begins with a row holding a run at least MIN_RUN (default 30) pixels long and
# goes on while the rows hold the colour under that run (give or take 8 pixels); blocks taller
# than MAX_HEIGHT (default 1000) do not count. Status 1 when there is none. Text and small marks
# make no such runs.
find_colour_block() {
    local x y width height
    read -r x y width height < <(window_geometry "$1")
    import -window root png:- 2>/dev/null | convert - -crop "${width}x${height}+${x}+${y}" -depth 8 txt:- |
        awk -v r0=$((16#${2:0:2})) -v g0=$((16#${2:2:2})) -v b0=$((16#${2:4:2})) -v minrun="${3:-30}" \
            -v tol="${4:-24}" -v wanted="${5:-1}" -v maxheight="${6:-1000}" -v ox="$x" -v oy="$y" '
            BEGIN { row = -1 }
            function near(a, b) { return a - b < tol && b - a < tol }
            function end_block() {
                inblock = 0
                if (bottom - top + 1 <= maxheight) {
                    count++
                    if (count == wanted) {
                        found = 1
                        printf "%d %d\n", ox + int((left + right) / 2), oy + int((top + bottom) / 2)
                    }
                }
            }
            function close_row() {
                if (row < 0 || found) return
                # Rows through the label of a button hold shorter runs: they continue the block.
                if (inblock && under >= 6) {
                    bottom = row
                } else {
                    if (inblock) end_block()
                    if (!found && best >= minrun) {
                        inblock = 1; top = row; bottom = row; left = bestStart; right = bestStart + best - 1
                    }
                }
                best = 0; under = 0
            }
            /^[0-9]+,[0-9]+:/ {
                split($1, p, /[,:]/); px = p[1] + 0; py = p[2] + 0
                c = $2; gsub(/[()]/, "", c); split(c, v, ",")
                if (py != row) { close_row(); row = py; run = 0 }
                if (near(v[1] + 0, r0) && near(v[2] + 0, g0) && near(v[3] + 0, b0)) {
                    if (run == 0) start = px
                    run++
                    if (run > best) { best = run; bestStart = start }
                    if (inblock && px >= left - 8 && px <= right + 8) under++
                } else run = 0
            }
            END {
                close_row()
                if (inblock && !found) end_block()
                exit found ? 0 : 1
            }'
}

# wait_geometry_settled ID: polls until the window's geometry stays the same for half a second
# (a panel grows to its content after it opens); fails after 10 s.
wait_geometry_settled() {
    local deadline=$(($(now_ms) + 10000)) last="" current since
    since=$(now_ms)
    while :; do
        current=$(window_geometry "$1" 2>/dev/null)
        if [ "$current" != "$last" ]; then
            last=$current
            since=$(now_ms)
        elif [ $(($(now_ms) - since)) -ge 500 ]; then
            return 0
        fi
        [ "$(now_ms)" -lt "$deadline" ] || fail "the window $1 kept changing its geometry"
        sleep 0.05
    done
}

# click_at X Y / click_in ID X Y: a left click at X,Y on the screen / within the window. The
# pointer rests first: a click that arrives with the pointer's first motion over a window can be
# lost.
click_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool click 1
}
click_in() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.3
    xdotool click 1
}

# open_panel PANEL_ID: opens the panel with the hot key (closing it first when it is open) and
# waits until it has grown to its content, so that its buttons are where they will stay.
open_panel() {
    if is_mapped "$1"; then
        xdotool key super+shift+p
        wait_unmapped "$1" 10000 || fail "the hot key did not close the panel"
    fi
    xdotool key super+shift+p
    wait_mapped "$1" 10000 || fail "the hot key did not open the panel"
    wait_geometry_settled "$1"
}

# clipboard: prints the clipboard's text.
clipboard() { xclip -o -selection clipboard 2>/dev/null; }

# poll_10s COMMAND...: runs the command every 50 ms until it succeeds; status 1 after 10 s.
poll_10s() {
    local deadline=$(($(now_ms) + 10000))
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# wait_clipboard TEXT: polls until the clipboard holds TEXT; status 1 after 10 s.
clipboard_holds() { [ "$(clipboard)" = "$1" ]; }
wait_clipboard() { poll_10s clipboard_holds "$1"; }

# wait_file_matches PATTERN FILE / wait_file_lacks PATTERN FILE: poll the file until a line
# matches (no line matches) the grep pattern; status 1 after 10 s.
file_matches() { grep -q -- "$1" "$2" 2>/dev/null; }
file_lacks() { ! file_matches "$@"; }
wait_file_matches() { poll_10s file_matches "$1" "$2"; }
wait_file_lacks() { poll_10s file_lacks "$1" "$2"; }

# colour_rows WINDOW_ID RRGGBB MIN_COUNT [TOLERANCE]: prints "top bottom", the first and last rows
# (in screen coordinates) of the window's pixels where at least MIN_COUNT pixels have that colour
# (each channel within TOLERANCE, default 40), such as the top and bottom edges of a ring; status 1
# when no row has so many.
colour_rows() {
    local x y width height
    read -r x y width height < <(window_geometry "$1")
    import -window root png:- 2>/dev/null | convert - -crop "${width}x${height}+${x}+${y}" -depth 8 txt:- |
        awk -v r0=$((16#${2:0:2})) -v g0=$((16#${2:2:2})) -v b0=$((16#${2:4:2})) -v need="$3" \
            -v tol="${4:-40}" -v oy="$y" '
            function near(a, b) { return a - b < tol && b - a < tol }
            /^[0-9]+,[0-9]+:/ {
                split($1, p, /[,:]/); py = p[2] + 0
                c = $2; gsub(/[()]/, "", c); split(c, v, ",")
                if (near(v[1] + 0, r0) && near(v[2] + 0, g0) && near(v[3] + 0, b0)) count[py]++
            }
            END {
                top = -1
                for (row in count) if (count[row] >= need) {
                    if (top < 0 || row + 0 < top) top = row + 0
                    if (row + 0 > bottom) bottom = row + 0
                }
                if (top < 0) exit 1
                printf "%d %d\n", oy + top, oy + bottom
            }'
}
