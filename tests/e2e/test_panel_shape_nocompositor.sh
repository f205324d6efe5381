#!/usr/bin/env bash
# Without a compositor the panel window is cut to the island's shape: once open, its bounding
# shape is the island, 18 in from each side and 10 from the top, so nothing black shows around
# it; the capsule is cut to its pill as well.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

launch_app "$1"
xwininfo -shape -id "$capsule" | grep -q 'Window shape extents:  32x16+3+4' ||
    fail "the capsule is not cut to its pill: $(xwininfo -shape -id "$capsule" | grep -i 'shape extents')"

xdotool key super+shift+p
wait_mapped "$panel" 2000 || fail "the hot key did not open the panel"
sleep 0.5
read -r _ _ width height < <(window_geometry "$panel")
expected="Window shape extents:  $((width - 36))x$((height - 20))+18+10"
xwininfo -shape -id "$panel" | grep -q "$expected" ||
    fail "the panel's shape is not the island ($expected): $(xwininfo -shape -id "$panel" | grep -i 'shape extents')"
screenshot panel-open-without-compositor
echo "PASS"
