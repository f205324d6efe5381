#!/usr/bin/env bash
# Under a tray host of the D-Bus status-notifier protocol (xfce4-panel's status tray), which draws
# the icon's menu itself: the icon exports the status menu's six rows, a right click on the icon
# shows them, and its last row quits the app. A left click opens the panel, which closes once the
# pointer has left it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# sni GDBUS_ARGS...: a call on the session bus.
sni() { gdbus call --session "$@" 2>/dev/null; }

start_app "$1"
item=""
for _ in $(seq 1 200); do
    item=$(sni --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems |
        grep -o "':[0-9.]*/[A-Za-z/]*'" | head -n 1 | tr -d "'")
    [ -n "$item" ] && break
    kill -0 "$app_pid" 2>/dev/null || fail "the app ended before its icon was registered"
    sleep 0.05
done
[ -n "$item" ] || fail "the icon was not registered with the status-notifier watcher"
service=${item%%/*}
path=/${item#*/}

menu_path=$(sni --dest "$service" --object-path "$path" --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem Menu | grep -o "objectpath '[^']*'" | cut -d"'" -f2)
[ -n "$menu_path" ] && [ "$menu_path" != /NO_DBUSMENU ] || fail "the icon exports no menu"
layout=$(sni --dest "$service" --object-path "$menu_path" --method com.canonical.dbusmenu.GetLayout 0 'int32 -1' '@as []')
labels=$(echo "$layout" | grep -o "'label': <'[^']*'>" | cut -d"'" -f4 | tr -d '&')
expected=$(printf '%s\n' "Open Orris Hollows" "Manage Workspaces…" "Settings…" "Welcome Guide…" \
    "Reload Prompt Files" "Quit Orris Hollows")
[ "$labels" = "$expected" ] || fail "the exported menu's rows are: $(echo "$labels" | tr '\n' '|')"
echo "$layout" | grep -q "'type': <'separator'>" || fail "the exported menu has no separator before Quit"

# The icon, as the tray host draws it: the pill's colour in the panel along the top.
host=$(xdotool search --onlyvisible --classname '^xfce4-panel$' | head -n 1)
[ -n "$host" ] || fail "no xfce4-panel window"
at=""
for _ in $(seq 1 100); do
    at=$(find_colour_block "$host" ff4d7e 6 40) && break
    sleep 0.1
done
[ -n "$at" ] || fail "the tray shows no icon"
read -r ix iy <<<"$at"
screenshot xfce-1-icon

# A left click opens the panel; it closes after the pointer leaves it.
panel=$(app_panel_window none) || exit 1
click_at "$ix" "$iy"
wait_mapped "$panel" 3000 || fail "a click on the icon did not open the panel"
sleep 1
screenshot xfce-2-panel-open
left=$(now_ms)
xdotool mousemove 200 700
wait_unmapped "$panel" 3000 || fail "the panel stayed after the pointer left it"
[ $(($(now_ms) - left)) -ge 240 ] || fail "the panel closed within the grace"

# A right click shows the exported menu, drawn by the host; its last row quits.
xdotool mousemove "$ix" "$iy"
sleep 0.3
# The host draws the menu in a window of its plugin process: a new window on the screen.
before=$(xdotool search --onlyvisible --name '' | sort)
xdotool click 3
menu=""
for _ in $(seq 1 100); do
    for id in $(comm -13 <(echo "$before") <(xdotool search --onlyvisible --name '' | sort)); do
        read -r _ _ width height < <(window_geometry "$id")
        [ "$height" -gt 100 ] && [ "$height" -lt 400 ] && menu=$id
    done
    [ -n "$menu" ] && break
    sleep 0.05
done
[ -n "$menu" ] || fail "a right click on the icon showed no menu"
sleep 0.5
screenshot xfce-3-menu
# The last row, Quit, lies at the menu's bottom.
read -r mx my mw mh < <(window_geometry "$menu")
click_at $((mx + mw / 2)) $((my + mh - 14))
wait_for_exit 10
echo "PASS"
