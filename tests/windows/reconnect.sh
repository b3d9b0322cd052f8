#!/usr/bin/env bash
# The reconnect watcher under Wine: a second one steps aside, and the resume
# broadcast (sent to every top-level window, as Windows sends it) starts one
# check whose attempt reaches the connection call. A TCP listener stands in
# for the server's port, which the watcher tries before an attempt.
#   reconnect.sh WINE WATCHER WATCHER_WINDOW [END_OF_CHECK [MESSAGE]]
# The prefix is $WINEPREFIX. Without a network provider the attempt answers
# 1222; with one, give what the check's last line and the entry's message
# should hold (an empty MESSAGE: no message line, as for a connection made).
set -euo pipefail
wine=$1 watcher=$2 window=$3
end=${4:-接続 0、失敗 1}
message=${5-ネットワーク接続が出来ません。}
dir=$(mktemp -d)
listener="" watcher_pid=""
cleanup() {
  local status=$?
  set +e
  [ -n "$watcher_pid" ] && { "$wine" "$window" close >/dev/null 2>&1; wait "$watcher_pid"; }
  [ -n "$listener" ] && kill "$listener" 2>/dev/null && wait "$listener" 2>/dev/null
  [ "$status" -ne 0 ] && [ -n "${log:-}" ] && [ -f "$log" ] && { echo "--- the watcher's log:"; cat "$log"; }
  rm -rf "$dir"
  exit "$status"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}

python3 -c '
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
print(s.getsockname()[1], flush=True)
time.sleep(600)' >"$dir/port" &
listener=$!
for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.05; done
port=$(head -n 1 "$dir/port")
[ -n "$port" ] || fail "the stand-in port did not open"
share="\\\\127.0.0.1@$port\\data"
printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n' >"$dir/conf.dat"
printf 'NetPath\t%s\r\nLocalDrive\tQ:\r\nUserName\t\r\nUserPasswd\t\r\nWaitTime\t0\r\nMaxError\t1\r\n' \
  "$share" >>"$dir/conf.dat"
conf="Z:${dir//\//\\}\\conf.dat"

logs() { find "$WINEPREFIX/drive_c/users" -path '*/Kayoiji/reconnect.log*' 2>/dev/null; }
logs | xargs -r rm -f
"$wine" "$watcher" -f "$conf" --settle 1 >/dev/null 2>&1 &
watcher_pid=$!
for _ in $(seq 300); do
  log=$(logs | grep 'log$' | head -n 1 || true)
  [ -n "$log" ] && grep -q '待機中' "$log" && break
  sleep 0.1
done
[ -n "$log" ] && grep -q '待機中' "$log" || fail "the watcher did not start"
echo "the watcher's log: $log"

timeout 60 "$wine" "$watcher" -f "$conf" >/dev/null 2>&1 || fail "a second watcher failed"
grep -q '既に動いています' "$log" || fail "a second watcher did not step aside"

"$wine" "$window" resume
for _ in $(seq 300); do grep -q '確認終了' "$log" && break; sleep 0.1; done
grep -q '確認開始 (スリープからの復帰)' "$log" || fail "the resume started no check"
grep -q "確認終了: $end" "$log" || fail "the check did not end with \"$end\""
if [ -n "$message" ]; then
  grep -qF "$share: $message" "$log" || fail "the attempt did not answer \"$message\""
fi
# The broadcast came twice: still one check.
sleep 5
[ "$(grep -c '確認開始' "$log")" -eq 1 ] || fail "one resume gave more than one check"

"$wine" "$window" close
wait "$watcher_pid" || fail "the watcher did not end cleanly"
watcher_pid=""
grep -qE ' 終了\s*$' "$log" || fail "the watcher did not log its end"
cat "$log"
echo "reconnect watcher under Wine: passed"
