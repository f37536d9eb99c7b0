#!/usr/bin/env bash
# File names are bytes: a name that is not valid UTF-8 opens on a first start and when
# handed to the running instance, from a relative path in a folder that is no text either.
source "$(dirname "$0")/lib.sh"

first=$'first\xff.log' second=$'second\xfe\x80.log' folder=$'logs\xfd'
mkdir -p "$WORK/$folder"
echo "one" >"$WORK/$folder/$first"
echo "two" >"$WORK/$folder/$second"

start_glimra "$WORK/$folder/$first"
# The title shows the name (its stray bytes replaced) only when the file was read.
wait_window 'first.*\.log$' >/dev/null || fail "first start did not open its file"

(cd "$WORK/$folder" && timeout 20 "$APP" "$second") || fail "forwarder did not exit 0"
wait_window 'second.*\.log$' 5 >/dev/null || fail "forwarded file did not open"
[ "$(count_windows)" -eq 2 ] || fail "expected two windows, got $(count_windows)"
echo "forward bytes: ok"
