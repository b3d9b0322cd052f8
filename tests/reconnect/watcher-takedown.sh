#!/usr/bin/env bash
# A server that falls silent (its processes stopped, as behind a dropped VPN)
# must not hold up whatever touches its drive: the network going away makes
# the watcher take down the mount it made, and its link then fails at once; a
# mount another program made, and one of ours with a file open, stay. Once
# the server answers, the next event connects the drive again without having
# used up its one attempt. A server that answers sees nothing new.
# Runs inside smb-fixture.sh, itself inside in-network-namespace.sh.
#   watcher-takedown.sh WATCHER SCRAMBLE
set -euo pipefail
source "$(dirname "$0")/watcher-lib.sh"
watcher=$1 scramble=$2
drives=$HOME/Drives
link=$drives/Z
mounts=$XDG_RUNTIME_DIR/gvfs

route_gone() { ip route del default; }
route_back() { ip route add default dev lo; }
# Stopped, the server still takes connections (the system does that) but
# never answers one: what a client sees of a server behind a dropped network.
server_freeze() { kill -STOP "$SMB_PID" $(pgrep -P "$SMB_PID"); }
server_thaw() { kill -CONT "$SMB_PID" $(pgrep -P "$SMB_PID"); }
# How long COMMAND takes, in ms (its status does not count).
took_ms() {
  local start
  start=$(now_ms)
  "$@" >/dev/null 2>&1 || true
  echo $(($(now_ms) - start))
}
logons() { grep 'Auth:' "$work/log/smbd.out" | grep -c 'NT_STATUS_OK' || true; }
mount_of() { timeout 5 ls "$mounts" | grep -c "share=$1\$" || true; }

# Three shares of one server: data (Z:) and busy (X:) the watcher connects;
# other (Y:) another program mounted, with a link of the user's own.
server_down
printf '[busy]\npath = %s\n[other]\npath = %s\n' "$KAYOIJI_TEST_SMB_DIR" "$KAYOIJI_TEST_SMB_DIR" \
  >>"$work/smb.conf"
server_up
printf '%s\nWORKGROUP\n%s\n' "$KAYOIJI_TEST_SMB_USER" "$KAYOIJI_TEST_SMB_PASSWORD" |
  gio mount "smb://127.0.0.1:$port/other" >/dev/null || fail "another program's mount failed"
mkdir -p "$drives"
ln -s "$(ls -d "$mounts"/*share=other)" "$drives/Y"
password=$("$scramble" "$KAYOIJI_TEST_SMB_PASSWORD")
{
  printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n'
  for entry in data:Z: busy:X: other:Y:; do
    printf 'NetPath\t\\\\127.0.0.1@%s\\%s\r\nLocalDrive\t%s\r\nUserName\t%s\r\nUserPasswd\t%s\r\n' \
      "$port" "${entry%%:*}" "${entry#*:}" "$KAYOIJI_TEST_SMB_USER" "$password"
    printf 'WaitTime\t0\r\nMaxError\t1\r\n'
  done
} >"$conf"

"$watcher" -f "$conf" --settle "$settle" 2>>"$log" &
watcher_pid=$!
for _ in $(seq 100); do grep -q '待機中' "$log" 2>/dev/null && break; sleep 0.05; done
sleep 1
route_gone
route_back
await_check 1 "the first network change"
reads_again || fail "the watcher did not connect Z: $(last_check)"
last_check | grep -q '接続 2、.*接続済み 1' || fail "the first check: $(last_check)"

# A server that answers: nothing changes, not even a new log-on.
before=$(logons)
route_gone
await_check 2 "the network going with the server answering"
[ "$(logons)" = "$before" ] || fail "a check logged on again to a server that answers"
last_check | grep -q '接続済み 3' || fail "a connected share was not left alone: $(last_check)"
route_back
await_check 3 "the network coming back"

echo "before the outage: stat Z $(took_ms stat "$link/") ms, ls Z $(took_ms ls "$link/") ms"
exec 3<"$drives/X/hello.txt"
server_freeze
start=$(now_ms)
route_gone
await_check 4 "the network going with the server silent"
echo "the check took the mount down $(($(now_ms) - start)) ms after the network went"
stat_ms=$(took_ms stat "$link/")
ls_ms=$(took_ms ls "$link/")
echo "after the take-down: stat Z $stat_ms ms, ls Z $ls_ms ms"
[ "$stat_ms" -lt 1000 ] && [ "$ls_ms" -lt 1000 ] || fail "Z still waits for its server"
[ -L "$link" ] || fail "Z's link went with its mount"
grep -q 'data (Z:): サーバーが応答しないため切断しました' "$log" || fail "the take-down was not logged"
grep -q 'busy (X:): サーバーが応答しませんが、使用中のため切断しません' "$log" ||
  fail "the busy mount was not logged"
[ "$(mount_of busy)" = 1 ] || fail "a mount with a file open was taken down"
[ "$(mount_of other)" = 1 ] || fail "another program's mount was taken down"
[ -L "$drives/Y" ] || fail "the user's own link went"
last_check | grep -q '応答なし 3' || fail "the silent server: $(last_check)"

# Another event while the server is still silent: nothing tried, nothing said again.
route_back
await_check 5 "the network coming back with the server silent"
[ "$(grep -c '切断' "$log")" = 2 ] || fail "a mount was taken down or logged again"
last_check | grep -q '失敗 0' || fail "a silent server used up an attempt: $(last_check)"

exec 3<&-
server_thaw
route_gone
route_back
await_check 6 "the network changing with the server back"
reads_again || fail "Z does not read again: $(last_check)"
grep -q 'data (Z:): サーバーが応答したため再接続しました' "$log" || fail "the return was not logged"

cat "$log"
echo "reconnect watcher take-down: passed"
