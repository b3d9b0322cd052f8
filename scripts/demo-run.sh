#!/usr/bin/env bash
# "make run": shows the program doing its job. As root, with Samba at hand, it
# starts a demonstration share of its own (smbd on 127.0.0.1, a free port from
# 4450, guest access, a hello.txt in it), a configuration that maps it to Z:,
# and the program inside a D-Bus session of its own (in a virtual display when
# there is none), shows the file through the drive link, and stops all it
# started when the program has ended. Otherwise it says why and starts the
# program on the sample data/ConfFile.dat, whose share does not exist.
#
#   scripts/demo-run.sh [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/src/app/kayoiji}")
source scripts/smb-server.sh

say() { echo "make run: $*"; }

# The program in the display there is, or in a virtual one.
on_display() {
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s '-screen 0 1024x768x24' "$@"
  fi
}

sample() {
  say "$*"
  say "starting the program on the sample data/ConfFile.dat instead: its shares do not exist,"
  say "so it shows its retries (\"ネットワーク接続が出来ません。\") and ends by itself."
  cd data
  on_display "$program" -f ConfFile.dat
  exit
}

[ "$(id -u)" -eq 0 ] || sample "the demonstration share needs root (its own Samba server)."
for tool in smbd dbus-run-session setsid setpriv fusermount3; do
  command -v "$tool" >/dev/null || sample "$tool is missing (run scripts/install-deps.sh as root)."
done
ls /usr/libexec/gvfsd-smb /usr/lib/gvfs/gvfsd-smb >/dev/null 2>&1 ||
  sample "the GVfs SMB backend (gvfs-backends) is missing."
[ -c /dev/fuse ] || sample "there is no /dev/fuse, so GVfs cannot give the share a local path."
id nobody >/dev/null 2>&1 || sample "there is no user \"nobody\" for Samba's guest access."

root=""
session=""
cleanup() {
  local status=$?
  set +e
  trap '' INT TERM
  # The session runs in a process group of its own: the program, its
  # display, the bus and GVfs go together.
  if [ -n "$session" ]; then
    kill -TERM -- "-$session" 2>/dev/null
    wait "$session" 2>/dev/null
  fi
  smb_stop
  smb_remove "$root"
  [ -n "$root" ] && say "stopped the demonstration share and removed $root"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

root=$(smb_root)
mkdir -p "$root"/{home,runtime}
chmod 700 "$root/runtime"
printf '%s\n' "こんにちは。Kayoiji のデモ共有のファイルです。" \
  "Hello from Kayoiji's demonstration share." >"$root/share/hello.txt"
chmod 644 "$root/share/hello.txt"
smb_reachable nobody "$root/share" || sample "Samba's guest user cannot enter $root/share."
smb_serve "$root" 4450 4499 "map to guest = bad user" "guest account = nobody" \
  "[data]" "path = $root/share" "read only = yes" "guest ok = yes" ||
  sample "smbd did not start (the reason is above)."
port=$SMB_PORT

# What the program reads: DoMapping on, errors in the window only, a short
# exit time; the share as guest on Z:.
config=$root/ConfFile.dat
printf '%s\r\n' '### Kayoiji demonstration' 'DoMapping	True' 'SmallStart	False' \
  'NoErrorDialog	True' 'ExitTime	8' '# 1' "NetPath	\\\\127.0.0.1@$port\\data" \
  'LocalDrive	Z:' 'UserName	' 'UserPasswd	' 'WaitTime	1' 'MaxError	3' >"$config"
drives=$root/home/Drives

say "a demonstration share \\\\127.0.0.1@$port\\data (smb://127.0.0.1:$port/data, guest) with hello.txt"
say "the configuration $config maps it to Z:"
say "the drive link will be $drives/Z"
say "starting the program: it connects after 1 second, shows \"接続終了。\" and ends 8 seconds later"

# A home and a runtime folder of its own (GVfs puts its FUSE folder there);
# the display of the desktop, if any, stays reachable.
if [ -n "${DISPLAY:-}" ] && [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then
  export XAUTHORITY=$HOME/.Xauthority
fi
case ${WAYLAND_DISPLAY:-/} in
  /*) ;;
  *) export WAYLAND_DISPLAY=${XDG_RUNTIME_DIR:-/run/user/0}/$WAYLAND_DISPLAY ;;
esac
export HOME=$root/home XDG_RUNTIME_DIR=$root/runtime KAYOIJI_DRIVES=$drives
export GIO_USE_VOLUME_MONITOR=unix GVFS_REMOTE_VOLUME_MONITOR_IGNORE=1
unset DBUS_SESSION_BUS_ADDRESS
export -f on_display
# After the program, still inside its session (so the share is still
# mounted), the file is read through the link. The chatter of the session's
# services goes to a log, shown when something went wrong.
log=$root/log/session.log
setsid dbus-run-session -- bash -c '
  say() { echo "make run: $*" >&3; }
  on_display "$1" -f "$2"
  status=$?
  if [ -f "$3/Z/hello.txt" ]; then
    say "the program ended with status $status; the link $3/Z points at $(readlink "$3/Z")"
    say "$3/Z/hello.txt, read through the link:"
    sed "s/^/    /" "$3/Z/hello.txt" >&3
    if [ -t 0 ]; then
      printf "make run: the share stays connected until you press Enter " >&3
      read -r _ || true
    fi
  else
    say "the program ended with status $status, but $3/Z/hello.txt cannot be read:"
    say "the share was not connected"
    exit 1
  fi' demo "$program" "$config" "$drives" <&0 3>&1 >"$log" 2>&1 &
session=$!
status=0
wait "$session" || status=$?
session=""
if [ "$status" -ne 0 ]; then
  echo "--- the end of the session's log:" >&2
  tail -n 30 "$log" >&2
  echo "--- the end of smbd's log:" >&2
  tail -n 20 "$root/log/smbd.out" >&2
  exit "$status"
fi
