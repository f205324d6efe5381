#!/usr/bin/env bash
# Under a window manager that ignores the desktop a window asks for before it is mapped and
# honours only the EWMH client message (the helper ORRIS_E2E_PINNING_WM, which puts every new
# window on the current desktop, as KWin was seen to), the capsule and the panel still end up on
# every desktop, also when the panel is shown a second time.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

[ -x "${ORRIS_E2E_PINNING_WM:-}" ] || fail "ORRIS_E2E_PINNING_WM is not set"
make_home
coproc wm { "$ORRIS_E2E_PINNING_WM"; }
extra_pids+=($wm_PID)
read -r -t 10 started <&"${wm[0]}" || true
[ "${started:-}" = managing ] || fail "the window manager did not start"

# on_all_desktops ID: the window's desktop property says every desktop.
on_all_desktops() {
    [ "$(xprop -id "$1" _NET_WM_DESKTOP 2>/dev/null)" = "_NET_WM_DESKTOP(CARDINAL) = 4294967295" ]
}

launch_app "$1"
poll_10s on_all_desktops "$capsule" || fail "the capsule is on desktop: $(xprop -id "$capsule" _NET_WM_DESKTOP)"
for round in 1 2; do
    xdotool key super+shift+p
    wait_mapped "$panel" 10000 || fail "the hot key did not open the panel (round $round)"
    poll_10s on_all_desktops "$panel" || fail "the panel is on desktop: $(xprop -id "$panel" _NET_WM_DESKTOP) (round $round)"
    if [ "$round" = 1 ]; then
        wait_geometry_settled "$panel"
        screenshot desktops-1-panel
    fi
    xdotool key super+shift+p
    wait_unmapped "$panel" 10000 || fail "the hot key did not close the panel (round $round)"
done
echo "PASS"
