#!/usr/bin/env bash
# The watcher lives as long as its session bus: a second one of the session
# steps aside, and the first ends at once, with status 0, when the bus goes.
#   watcher-session-end.sh WATCHER BUS_CONFIG
set -euo pipefail
watcher=${1:?watcher} busconf=${2:?bus configuration}
work=$(mktemp -d)
bus_pid="" watcher_pid=""
cleanup() {
  for pid in $watcher_pid $bus_pid; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  cat "$work/watcher.log" 2>/dev/null || true
  exit 1
}

dbus-daemon --config-file="$busconf" --nofork --print-address=3 3>"$work/bus" 2>/dev/null &
bus_pid=$!
for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.05; done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS HOME=$work KAYOIJI_DRIVES=$work/drives
printf 'DoMapping\tTrue\r\n' >"$work/conf.dat"

"$watcher" -f "$work/conf.dat" 2>"$work/watcher.log" &
watcher_pid=$!
for _ in $(seq 100); do grep -q '待機中' "$work/watcher.log" && break; sleep 0.05; done
grep -q '待機中' "$work/watcher.log" || fail "the watcher did not start"
"$watcher" -f "$work/conf.dat" 2>"$work/second.log" || fail "a second watcher failed"
grep -q '既に動いています' "$work/second.log" || fail "a second watcher did not step aside"

kill "$bus_pid"
bus_pid=""
for _ in $(seq 40); do kill -0 "$watcher_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$watcher_pid" 2>/dev/null && fail "the watcher outlived its session bus by 2 s"
status=0
wait "$watcher_pid" || status=$?
watcher_pid=""
[ "$status" = 0 ] || fail "the watcher ended with status $status"
[ "$(tail -n 1 "$work/watcher.log")" = "kayoiji-reconnect: 終了" ] || fail "no end in the log"
echo "session end: passed"
