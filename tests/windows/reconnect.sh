#!/usr/bin/env bash
# The reconnect watcher under Wine: a second one steps aside, and the resume
# broadcast (sent to every top-level window, as Windows sends it) starts one
# check whose attempt reaches the connection call. A TCP listener stands in
# for the server's port, which the watcher tries before an attempt.
#   reconnect.sh WINE WATCHER WATCHER_WINDOW [END_OF_CHECK [MESSAGE]]
# The prefix is $WINEPREFIX. Without a network provider the attempt answers
# 1222; with one, give what the check's last line and the entry's message
# should hold (an empty MESSAGE: no message line, as for a connection made).
# With KAYOIJI_PROVIDER_DLL and KAYOIJI_WNET_CALL set, the prefix gets the
# tests' network provider: a second entry is connected beforehand by another
# program, and the provider must see the watcher's attempt of the first
# entry only. With KAYOIJI_HANG=1 as well, the provider keeps the attempt
# waiting, and the watcher must still close within seconds.
set -euo pipefail
# With KAYOIJI_JAPANESE_SERVER=1, the server is named 表計算 as well: the
# watcher's look-up finds it in a hosts file of the test's own, bound over
# /etc/hosts in a mount namespace of its own (skipped where none can be made).
if [ "${KAYOIJI_JAPANESE_SERVER:-}" = 1 ] && [ -z "${KAYOIJI_OWN_HOSTS:-}" ]; then
  unshare -m true 2>/dev/null || {
    echo "SKIPPED: no mount namespace can be made here (it needs root)"
    exit 77
  }
  hosts=$(mktemp)
  { cat /etc/hosts; echo "127.0.0.1 表計算 xn--lzzl6xx9a"; } >"$hosts"
  KAYOIJI_OWN_HOSTS=1 exec unshare -m bash -c \
    'mount --bind "$1" /etc/hosts && rm "$1" && shift && exec bash "$@"' bash "$hosts" "$0" "$@"
fi
host=127.0.0.1
[ "${KAYOIJI_JAPANESE_SERVER:-}" = 1 ] && host=表計算
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
# Share names whose Shift-JIS bytes hold 0x5C as a second byte, one of them last.
share="\\\\$host@$port\\表計算"
entry() {
  printf 'NetPath\t%s\r\nLocalDrive\t%s\r\nUserName\t\r\nUserPasswd\t\r\nWaitTime\t0\r\nMaxError\t1\r\n' "$@"
}
conf_dir=$dir conf="Z:${dir//\//\\}\\conf.dat"
other="\\\\$host@$port\\予定表"
if [ -n "${KAYOIJI_PROVIDER_DLL:-}" ]; then
  source "$(dirname "$0")/provider.sh"
  provider_install "$wine" "$KAYOIJI_PROVIDER_DLL"
  # The provider's prefix has no Z: (Wine's view of /).
  conf_dir=$WINEPREFIX/drive_c/kayoiji-reconnect conf='C:\kayoiji-reconnect\conf.dat'
  mkdir -p "$conf_dir" "$dir/share" "$dir/other"
  lines=()
  [ "${KAYOIJI_HANG:-}" = 1 ] && lines+=("answer	$share	hang")
  provider_table "${lines[@]}" "share	$share	$dir/share	*	*" "share	$other	$dir/other	*	*"
  provider_reset
  cd "$WINEPREFIX/drive_c"
  [ "$("$wine" "$KAYOIJI_WNET_CALL" add "$other" R: "" "" | tr -d '\r')" = 0 ] ||
    fail "the second entry could not be connected beforehand"
fi
{
  printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n'
  entry "$share" Q:
  if [ -n "${KAYOIJI_PROVIDER_DLL:-}" ]; then entry "$other" R:; fi
} | iconv -f UTF-8 -t CP932 >"$conf_dir/conf.dat"

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
if [ "${KAYOIJI_HANG:-}" = 1 ]; then
  for _ in $(seq 300); do grep -q '確認開始' "$log" && break; sleep 0.1; done
  sleep 2
  start=$(date +%s%N)
  "$wine" "$window" close >/dev/null
  wait "$watcher_pid" || fail "the watcher did not end cleanly"
  watcher_pid=""
  took=$((($(date +%s%N) - start) / 1000000))
  echo "the watcher closed $took ms after it was asked, its attempt still waiting"
  [ "$took" -lt 5000 ] || fail "closing took $took ms"
  exit 0
fi
for _ in $(seq 300); do grep -q '確認終了' "$log" && break; sleep 0.1; done
grep -q '確認開始 (スリープからの復帰)' "$log" || fail "the resume started no check"
grep -q "確認終了: $end" "$log" || fail "the check did not end with \"$end\""
if [ -n "$message" ]; then
  grep -qF "$share: $message" "$log" || fail "the attempt did not answer \"$message\""
fi
if [ -n "${KAYOIJI_PROVIDER_DLL:-}" ]; then
  [ "$(provider_count NPAddConnection3 "$share" 0)" = 1 ] ||
    fail "the provider did not see one attempt of the entry that was not connected"
  [ "$(provider_count NPAddConnection3 "$other")" = 1 ] ||
    fail "the entry that was connected was attempted again"
  provider_calls NPAddConnection3
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
