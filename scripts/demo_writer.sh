#!/usr/bin/env bash
# Appends a plausible server log line to LOG every 0.5-1 s, as a busy service would.
# Usage: demo_writer.sh LOG [PID] [INITIAL]
#   PID      stop when this process has exited (the viewer the demo is for)
#   INITIAL  lines written at once first, so there is something to see at start
set -euo pipefail
log=${1:?usage: demo_writer.sh LOG [PID] [INITIAL]}
watch=${2:-}
initial=${3:-0}

levels=(INFO INFO INFO INFO INFO DEBUG DEBUG WARN ERROR)
components=(http db cache auth scheduler mailer)
paths=(/api/orders /api/orders/42 /api/users /login /health /static/app.js /api/reports)
methods=(GET GET GET POST PUT DELETE)
statuses=(200 200 200 200 201 204 304 404 500)
users=(akiko bruno chen dana emil fumiko)
count=0

pick() { # pick NAME: one random element of the array NAME
    local -n list=$1
    printf '%s' "${list[RANDOM % ${#list[@]}]}"
}

message() {
    case $(pick components) in
    http) printf '%s %s %s %dms' "$(pick methods)" "$(pick paths)" "$(pick statuses)" $((RANDOM % 400 + 1)) ;;
    db) printf 'query finished in %dms, %d rows' $((RANDOM % 900 + 1)) $((RANDOM % 500)) ;;
    cache) printf 'hit ratio %d.%d%%, %d entries' $((RANDOM % 40 + 60)) $((RANDOM % 10)) $((RANDOM % 9000 + 1000)) ;;
    auth) printf 'session opened for user %s from 192.168.%d.%d' "$(pick users)" $((RANDOM % 8)) $((RANDOM % 254 + 1)) ;;
    scheduler) printf 'job #%d "nightly-report" step %d/5 done' $((RANDOM % 900 + 100)) $((RANDOM % 5 + 1)) ;;
    mailer) printf 'queued %d messages, %d retrying' $((RANDOM % 20)) $((RANDOM % 3)) ;;
    esac
}

line() {
    count=$((count + 1))
    printf '%s %-5s [%05d] %s\n' "$(date '+%Y-%m-%d %H:%M:%S.%3N')" "$(pick levels)" "$count" "$(message)"
}

alive() { [ -z "$watch" ] || kill -0 "$watch" 2>/dev/null; }

for _ in $(seq "$initial"); do line >>"$log"; done
while alive; do
    # One append per line, so the viewer never meets half a line written by us.
    line >>"$log"
    sleep "0.$((RANDOM % 500 + 500))"
done
