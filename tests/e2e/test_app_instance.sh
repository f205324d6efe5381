#!/usr/bin/env bash
# One instance per home: a second launch shows the first one's panel and exits 0, --toggle
# toggles it. SIGTERM and SIGINT end the app with status 0. The settings file is 0600 in a 0700
# folder, also when it was readable by others before. Without a display the app says so and
# ends with status 1.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# check_settings_private: the settings folder is 0700 and the file 0600.
check_settings_private() {
    local folder file
    folder=$(stat -c %a "$(dirname "$app_settings")")
    file=$(stat -c %a "$app_settings" 2>/dev/null)
    [ "$folder" = 700 ] || fail "settings folder is $folder"
    [ "$file" = 600 ] || fail "settings file is ${file:-missing}"
}

start_app "$1"
capsule=$(app_window_sized 38 24) || exit 1
wait_mapped "$capsule" 10000 || fail "the capsule was not mapped"
panel=$(app_panel_window "$capsule") || exit 1
check_settings_private

run_in_home timeout 10 "$1" ||
    fail "a second launch ended with status $?"
wait_mapped "$panel" 2000 || fail "a second launch did not show the first one's panel"
screenshot instance-1-second-launch-shows-panel
for expected in unmapped mapped unmapped; do
    run_in_home timeout 10 "$1" --toggle ||
        fail "--toggle ended with status $?"
    "wait_$expected" "$panel" 2000 || fail "--toggle did not leave the panel $expected"
done
[ "$(xdotool search --classname '^orris-hollows$' | wc -l)" -ge 2 ] || fail "windows went away"
kill -TERM "$app_pid"
wait_for_exit 10

# A settings file an earlier run left readable by others; --toggle with no instance running
# starts the app with its panel shown.
cleanup_app
make_home
mkdir -p "$(dirname "$app_settings")"
chmod 755 "$(dirname "$app_settings")"
printf '[General]\nOrrisHollows.firstRunWelcomeCompleted.v1=true\nOrrisHollows.hoverOpenEnabled.v1=false\n' >"$app_settings"
chmod 644 "$app_settings"
start_app "$1" --toggle
capsule=$(app_window_sized 38 24) || exit 1
panel=$(app_panel_window "$capsule") || exit 1
wait_mapped "$panel" 10000 || fail "--toggle did not start the app with its panel shown"
check_settings_private
grep -q '^OrrisHollows.hoverOpenEnabled.v1=false$' "$app_settings" || fail "the settings lost their content"
kill -INT "$app_pid"
wait_for_exit 10

# No display: one line on stderr, nothing on stdout, status 1.
out=$(mktemp)
err=$(mktemp)
extra_pids=()
env -u DISPLAY "$1" >"$out" 2>"$err"
status=$?
[ "$status" -eq 1 ] || fail "without a display the app ended with status $status"
[ ! -s "$out" ] || fail "without a display the app wrote to stdout: $(cat "$out")"
[ "$(cat "$err")" = "orris-hollows: no X11 display: set DISPLAY, or run inside a desktop session" ] ||
    fail "without a display the app said: $(cat "$err")"
rm -f "$out" "$err"
echo "PASS"
