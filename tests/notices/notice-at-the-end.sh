#!/usr/bin/env bash
# The real program, end to end, on a private session bus with the stand-in
# notification service: a run that gives up on an entry leaves one notice,
# also when the program ends the moment the run is over (ExitTime 0).
#   notice-at-the-end.sh PROGRAM FAKE_SERVICE
set -euo pipefail
program=$1
fake=$2
dir=$(mktemp -d)
fake_pid=""
cleanup() {
  [ -n "$fake_pid" ] && kill "$fake_pid" 2>/dev/null && wait "$fake_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
# Shows what the service was called with, once there is something (5 s at most).
show_calls() {
  for _ in $(seq 100); do
    [ -s "$dir/calls" ] && break
    sleep 0.05
  done
  cat "$dir/calls"
}

# "1:" is no drive name: each attempt fails at once with 1200, before any
# network work, so the outcome does not depend on the machine's network.
printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\n' > "$dir/conf.dat"
printf 'NetPath\t\\\\srv\\data\r\nLocalDrive\t1:\r\nWaitTime\t0\r\nMaxError\t2\r\n' >> "$dir/conf.dat"
printf 'NetPath\t\\\\srv\\none\r\nLocalDrive\t\r\nWaitTime\t-1\r\nMaxError\t1\r\n' >> "$dir/conf.dat"

mkfifo "$dir/ready"
"$fake" "$dir/calls" > "$dir/ready" &
fake_pid=$!
read -r line < "$dir/ready"
[ "$line" = ready ] || { echo "the stand-in service did not start"; exit 1; }

XDG_CONFIG_HOME="$dir/config" KAYOIJI_DRIVES="$dir/drives" timeout 20 "$program" -f "$dir/conf.dat"
echo "program exited by itself"

show_calls
[ "$(wc -l < "$dir/calls")" -eq 1 ] || { echo "not exactly one notice"; exit 1; }
grep -qF "'Kayoiji', uint32 0, 'kayoiji', 'Kayoiji', '\\\\\\\\srv\\\\data: ローカルドライブ名が不正です。'" "$dir/calls" ||
  { echo "not the expected notice"; exit 1; }
echo "notice at the end of the run: passed"

# Passwords kept in the system's store, on a bus that has none: the entry is
# not attempted (no empty password in place of its own), its notice says why,
# and the file is left as it was.
printf 'DoMapping\tTrue\r\nNoErrorDialog\tTrue\r\nExitTime\t0\r\nPasswordStore\tTrue\r\n' > "$dir/store.dat"
printf 'NetPath\t\\\\srv\\data\r\nLocalDrive\tZ:\r\nUserName\tu\r\nUserPasswd\t\r\n' >> "$dir/store.dat"
printf 'WaitTime\t0\r\nMaxError\t3\r\n' >> "$dir/store.dat"
cp "$dir/store.dat" "$dir/store.before"
: > "$dir/calls"
XDG_CONFIG_HOME="$dir/config" KAYOIJI_DRIVES="$dir/drives" timeout 20 "$program" -f "$dir/store.dat"
show_calls
grep -qF '\\\\srv\\data: パスワードの保管場所が使えないため、接続しませんでした。' "$dir/calls" ||
  { echo "not the no-store notice"; exit 1; }
cmp "$dir/store.dat" "$dir/store.before" || { echo "the configuration changed"; exit 1; }
[ ! -e "$dir/drives/Z" ] || { echo "connected without the password"; exit 1; }
echo "no secret store: passed"
