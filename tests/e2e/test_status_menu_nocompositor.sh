#!/usr/bin/env bash
# The status menu's place and keys on a desktop without a compositor.
exec bash "$(dirname "$0")/test_status_menu.sh" "$@"
