#!/usr/bin/env bash
# The reconnect watcher end to end, woken as the system wakes it: a network
# change is a default route removed and added again in this network
# namespace, a resume is PrepareForSleep(false) from a stand-in logind on a
# private system bus. Runs inside smb-fixture.sh (a Samba server, a session
# bus and a HOME of its own), itself inside in-network-namespace.sh.
#   watcher-events.sh WATCHER STAND_IN_LOGIND SCRAMBLE SYSTEM_BUS_CONF [PROGRAM]
# With PROGRAM (the Qt program), the log-in run that gives up comes first.
set -euo pipefail
source "$(dirname "$0")/watcher-lib.sh"
watcher=$1 logind=$2 scramble=$3 busconf=$4 program=${5:-}
share="\\\\$KAYOIJI_TEST_SMB_HOST\\data"
link=$HOME/Drives/X

# One entry: X: on the fixture's share, as its user. A retry a second later:
# right after an unmount GVfs may lose its mount daemon for a moment (1222).
write_config() { # PASSWORD
  {
    printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n'
    printf 'NetPath\t%s\r\nLocalDrive\tX:\r\nUserName\t%s\r\nUserPasswd\t%s\r\n' \
      "$share" "$KAYOIJI_TEST_SMB_USER" "$("$scramble" "$1")"
    printf 'WaitTime\t1\r\nMaxError\t3\r\n'
  } >"$conf"
}

# ...and then no further one may follow within four settle delays.
await_one_check() { # N WHAT
  await_check "$@"
  sleep $((settle * 4 + 1))
  [ "$(checks)" -eq "$1" ] || fail "$2 gave $(($(checks) - $1 + 1)) checks, not one"
}
network_change() {
  ip route del default
  ip route add default dev lo
}
write_config "$KAYOIJI_TEST_SMB_PASSWORD"

# A system bus of our own with a stand-in logind on it.
background "$work/system-bus" dbus-daemon --config-file="$busconf" --nofork --print-address
export DBUS_SYSTEM_BUS_ADDRESS
DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/system-bus")
mkfifo "$work/logind-in" "$work/logind-out"
"$logind" <"$work/logind-in" >"$work/logind-out" &
helpers+=($!)
exec 7>"$work/logind-in" 8<"$work/logind-out"
read -r line <&8
[ "$line" = ready ] || fail "the stand-in logind did not start"
resume() {
  echo resume >&7
  read -r line <&8
}

# The server is away at log-in: the log-in run gives up on it.
server_down
"$watcher" -f "$conf" --settle "$settle" 2>"$log" &
watcher_pid=$!
for _ in $(seq 100); do grep -q '待機中' "$log" && break; sleep 0.05; done
grep -q '待機中' "$log" || fail "the watcher did not start"
"$watcher" -f "$conf" 2>"$work/second.log" || fail "a second watcher failed"
grep -q '既に動いています' "$work/second.log" || fail "a second watcher did not step aside"
if [ -n "$program" ]; then
  QT_QPA_PLATFORM=offscreen timeout 60 "$program" -f "$conf" || fail "the log-in run failed"
  [ -L "$link" ] && fail "the log-in run connected a server that is down"
  echo "the log-in run gave up while the server was down"
fi

# An event while the server is still down tries nothing and uses up nothing.
network_change
await_check 1 "a network change"
last_check | grep -q '応答なし 1' || fail "a server that is down was tried: $(last_check)"

# The server comes back; a burst of 20 network events gives one check, which
# connects the entry.
server_up
start=$(date +%s%N)
for _ in $(seq 10); do network_change; done
# Until the link reads or the check has ended (a loaded machine may take
# a while to mount).
for _ in $(seq 1200); do
  reads_again && break
  [ "$(checks)" -ge 2 ] && break
  sleep 0.05
done
reads_again || fail "the drive link does not read after the server came back"
echo "the link read again $((($(date +%s%N) - start) / 1000000)) ms after the burst"
await_one_check 2 "a burst of 20 network events"
last_check | grep -q '接続 1' || fail "the check did not connect: $(last_check)"

# Connected entries are left alone.
target=$(readlink "$link")
network_change
await_check 3 "a network change with the entry connected"
last_check | grep -q '接続済み 1' || fail "a connected entry was not left alone: $(last_check)"
[ "$(readlink "$link")" = "$target" ] || fail "the link of a connected entry changed"
grep -q '既に接続されています' "$log" && fail "a connected entry was connected again"

# The server goes and the mount with it: the link dangles until the server
# is back and the network changes.
server_down
gio mount -u "$KAYOIJI_TEST_SMB_URI" || fail "the share did not unmount"
reads_again && fail "the link still reads without the mount"
server_up
network_change
await_check 4 "a network change after the server came back"
reads_again || fail "the drive link does not read after the mount was lost"

# The same after sleep: logind says it woke (twice, as it does).
server_down
gio mount -u "$KAYOIJI_TEST_SMB_URI" || fail "the share did not unmount"
server_up
resume
await_one_check 5 "PrepareForSleep(false)"
grep '確認開始' "$log" | tail -n 1 | grep -q 'スリープからの復帰' || fail "the check did not come from the resume"
reads_again || fail "the drive link does not read after the resume"

# A refused password costs one failed log-on in the session, whoever tried
# it first (the log-in run when there is the program), until the file is
# edited: not after twenty events, nor after a check without the file.
gio mount -u "$KAYOIJI_TEST_SMB_URI" || fail "the share did not unmount"
rm -f "$link"
# The server's own audit of failed log-ons.
failed_logons() { grep 'Auth:' "$work/log/smbd.out" | grep -c NT_STATUS_WRONG_PASSWORD || true; }
before=$(failed_logons)
write_config "wrong-$KAYOIJI_TEST_SMB_PASSWORD"
if [ -n "$program" ]; then
  QT_QPA_PLATFORM=offscreen timeout 60 "$program" -f "$conf" || fail "the log-in run failed"
  network_change
  await_check 6 "a network change after the log-in run was refused"
  last_check | grep -q '認証拒否で保留 1' || fail "the watcher tried the refused password: $(last_check)"
else
  network_change
  await_check 6 "a network change with a wrong password"
  last_check | grep -q '失敗 1' || fail "the wrong password was not tried: $(last_check)"
fi
[ "$(($(failed_logons) - before))" = 1 ] || fail "$(($(failed_logons) - before)) failed log-ons, not one"
for _ in $(seq 20); do network_change; done
await_one_check 7 "twenty network changes with a wrong password"
mv "$conf" "$conf.away"
network_change
await_check 8 "a network change without the file"
mv "$conf.away" "$conf"
network_change
await_check 9 "a network change with the file back"
last_check | grep -q '認証拒否で保留 1' || fail "the file's return cleared the refusal: $(last_check)"
[ "$(($(failed_logons) - before))" = 1 ] || fail "the server saw the refused password again"
memory=$XDG_RUNTIME_DIR/kayoiji/refused
[ "$(stat -c %a "$memory")" = 600 ] || fail "the refusals are readable by others"
grep -q "$KAYOIJI_TEST_SMB_PASSWORD" "$memory" && fail "the refusals hold the password"
write_config "$KAYOIJI_TEST_SMB_PASSWORD"
network_change
await_check 10 "a network change after the password was corrected"
reads_again || fail "the corrected password did not connect"

cat "$log"
echo "reconnect watcher: passed"
