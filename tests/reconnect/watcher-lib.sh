#!/usr/bin/env bash
# What the watcher's end-to-end scripts share, inside smb-fixture.sh: the
# fixture's server, the watcher's log and checks, and the processes that end
# with the script (the watcher, then what `background` started).
#   source watcher-lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/smb-server.sh"

work=$KAYOIJI_TEST_WORK
port=${KAYOIJI_TEST_SMB_HOST#*@}
conf=$work/conf.dat
log=$work/watcher.log
settle=2
SMB_PID=$KAYOIJI_TEST_SMB_PID
watcher_pid=""
helpers=()

cleanup() {
  local status=$? pid
  set +e
  for pid in $watcher_pid "${helpers[@]}"; do kill "$pid" 2>/dev/null && wait "$pid"; done
  [ "$status" -ne 0 ] && [ -f "$log" ] && { echo "--- the watcher's log:"; cat "$log"; }
  smb_stop
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  exit 1
}

# Runs COMMAND in the background, its output in FILE, until its first line.
background() { # FILE COMMAND...
  local file=$1 _
  shift
  "$@" >"$file" &
  helpers+=($!)
  for _ in $(seq 100); do [ -s "$file" ] && return 0; sleep 0.05; done
  fail "$* did not start"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
checks() { grep -c '確認終了' "$log" || true; }
# Waits until the watcher has ended check number N.
await_check() { # N WHAT
  local _
  for _ in $(seq 1200); do
    [ "$(checks)" -ge "$1" ] && return 0
    sleep 0.05
  done
  fail "no check after $2"
}
last_check() { grep '確認終了' "$log" | tail -n 1; }
server_down() {
  kill "$SMB_PID"
  wait "$SMB_PID" 2>/dev/null || true
  SMB_PID=""
  while smb_port_in_use "$port"; do sleep 0.1; done
}
server_up() { smb_start "$work" "$port"; }
# Whether the drive link $link reads the fixture's file.
reads_again() { [ "$(cat "$link/hello.txt" 2>/dev/null)" = hello ]; }
echo hello >"$KAYOIJI_TEST_SMB_DIR/hello.txt"
chown "$KAYOIJI_TEST_SMB_USER" "$KAYOIJI_TEST_SMB_DIR/hello.txt"
