#!/usr/bin/env bash
# The command line: --help prints the usage and --version the version, each on stdout with
# status 0 and without starting the app; an unknown argument prints the usage on stderr and ends
# with status 2. Neither needs a display.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

make_home
out="$app_home/out"
err="$app_home/err"

DISPLAY= run_in_home timeout 10 "$1" --help >"$out" 2>"$err"
status=$?
[ "$status" -eq 0 ] || fail "--help ended with status $status"
grep -q '^Usage: orris-hollows' "$out" || fail "--help printed: $(cat "$out")"
grep -q -- '--toggle' "$out" || fail "the usage does not name --toggle"
[ ! -s "$err" ] || fail "--help wrote to stderr: $(cat "$err")"

DISPLAY= run_in_home timeout 10 "$1" --version >"$out" 2>"$err"
status=$?
[ "$status" -eq 0 ] || fail "--version ended with status $status"
grep -Eq '^orris-hollows [0-9]+\.[0-9]+\.[0-9]+$' "$out" || fail "--version printed: $(cat "$out")"

DISPLAY= run_in_home timeout 10 "$1" --bogus >"$out" 2>"$err"
status=$?
[ "$status" -eq 2 ] || fail "--bogus ended with status $status"
[ ! -s "$out" ] || fail "--bogus wrote to stdout: $(cat "$out")"
grep -q -- '--bogus' "$err" || fail "the error does not name the argument: $(cat "$err")"
grep -q '^Usage: orris-hollows' "$err" || fail "--bogus printed no usage on stderr"
# No instance was started by any of them.
xdotool search --classname '^orris-hollows$' >/dev/null 2>&1 && fail "an option started the app"
echo "PASS"
