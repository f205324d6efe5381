#!/usr/bin/env bash
# Without a tray the app shows its capsule at the top centre of the screen; its menu quits the app.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

start_app "$1"
capsule=$(wait_for_window --onlyvisible --classname '^orris-hollows$')
read -r x y width height < <(window_geometry "$capsule")
screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
[ "$width" -eq 38 ] && [ "$height" -eq 24 ] || fail "capsule is ${width}x${height}"
centre=$((x + width / 2))
[ $((centre - screen_width / 2)) -ge -2 ] && [ $((centre - screen_width / 2)) -le 2 ] || fail "capsule at x=$x"
[ "$y" -le 10 ] || fail "capsule at y=$y"

xdotool mousemove --window "$capsule" 19 12 click 1
sleep 0.5
xdotool key Down Return
wait_for_exit 10
echo "PASS"
