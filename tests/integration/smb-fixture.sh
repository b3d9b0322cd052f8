#!/usr/bin/env bash
# Runs a command against a private Samba server on 127.0.0.1 (the first free
# port from 4450, or KAYOIJI_TEST_SMB_PORT) inside a
# D-Bus session of its own, then stops the server and removes all it made.
#
#   smb-fixture.sh WORK_FOLDER COMMAND [ARGS...]
#
# The command finds the server in KAYOIJI_TEST_SMB_* variables. Exits 77
# (skipped) when the machine cannot run it, with the reason on stdout.
set -euo pipefail

readonly SKIP=77
work=${1:?work folder}
shift

skip() {
  echo "SKIPPED: $*"
  exit $SKIP
}

export PATH="$PATH:/usr/sbin:/sbin"
[ -c /dev/fuse ] || skip "no /dev/fuse: GVfs cannot give mounts a local path"
for tool in smbd smbpasswd dbus-run-session useradd userdel fusermount3 setsid flock; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/install-deps.sh installs it)"
done
gvfs_smb=$(ls /usr/libexec/gvfsd-smb /usr/lib/gvfs/gvfsd-smb 2>/dev/null | head -n 1 || true)
[ -n "$gvfs_smb" ] || skip "the GVfs SMB backend (gvfs-backends) is missing"
[ "$(id -u)" -eq 0 ] || skip "adding the Samba test user needs root"
port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
if [ -n "${KAYOIJI_TEST_SMB_PORT:-}" ]; then
  PORT=$KAYOIJI_TEST_SMB_PORT
  if port_in_use "$PORT"; then
    echo "port $PORT is already in use" >&2
    exit 1
  fi
else
  # Several checkouts may run their tests at once on one machine: a port is
  # taken under a lock that this fixture and its server hold until they end,
  # so that two fixtures starting together never pick the same one.
  PORT=""
  for candidate in $(seq 4450 4499); do
    exec {port_lock}>"${TMPDIR:-/tmp}/kayoiji-smb-port-$candidate.lock"
    if flock -n "$port_lock" && ! port_in_use "$candidate"; then
      PORT=$candidate
      break
    fi
    exec {port_lock}>&-
  done
  [ -n "$PORT" ] || { echo "no free port between 4450 and 4499" >&2; exit 1; }
fi

user="kyt$$"
root="$work/smb-fixture"
smbd_pid=""
user_added=0

cleanup() {
  local status=$?
  if [ "$status" -ne 0 ] && [ -s "$root/log/smbd.out" ]; then
    echo "--- the end of smbd's log:" >&2
    tail -n 30 "$root/log/smbd.out" >&2
  fi
  if [ -n "$smbd_pid" ]; then
    kill "$smbd_pid" 2>/dev/null || true
    wait "$smbd_pid" 2>/dev/null || true
  fi
  [ "$user_added" = 1 ] && userdel "$user" 2>/dev/null || true
  # A FUSE mount left by a GVfs that did not end cleanly must not be walked into.
  if grep -q " $root/" /proc/mounts; then
    grep " $root/" /proc/mounts | cut -d' ' -f2 | xargs -r -n 1 fusermount3 -u -z 2>/dev/null || true
  fi
  rm -rf --one-file-system "$root"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf --one-file-system "$root"
mkdir -p "$root"/{share,private,lock,state,cache,pid,ncalrpc,log,runtime,home}
chmod 700 "$root/runtime"
conf="$root/smb.conf"
cat >"$conf" <<CONF
[global]
  server role = standalone server
  workgroup = WORKGROUP
  smb ports = $PORT
  interfaces = 127.0.0.1
  bind interfaces only = yes
  disable netbios = yes
  disable spoolss = yes
  load printers = no
  printcap name = /dev/null
  passdb backend = tdbsam:$root/private/passdb.tdb
  private dir = $root/private
  lock directory = $root/lock
  state directory = $root/state
  cache directory = $root/cache
  pid directory = $root/pid
  ncalrpc dir = $root/ncalrpc
  log file = $root/log/smbd.log
  map to guest = never
  usershare path =
[data]
  path = $root/share
  read only = no
CONF

useradd -M -N -s /usr/sbin/nologin -d /nonexistent "$user"
user_added=1
chown "$user" "$root/share"
password="Kayoiji-$$"
printf '%s\n%s\n' "$password" "$password" | smbpasswd -c "$conf" -s -a "$user" >/dev/null

# smbd signals its whole process group as it ends: give it one of its own, so
# that neither this script nor ctest goes with it.
setsid smbd --foreground --no-process-group --debug-stdout -s "$conf" >"$root/log/smbd.out" 2>&1 &
smbd_pid=$!
# The listener on the port must be our server, not one that took the port
# first (smbd then ends with "Address already in use").
our_server_listens() {
  local inode
  inode=$(awk -v port="$(printf ':%04X' "$PORT")" \
    '$4 == "0A" && substr($2, length($2) - 4) == port { print $10; exit }' /proc/net/tcp)
  [ -n "$inode" ] && ls -l "/proc/$smbd_pid/fd" 2>/dev/null | grep -q "socket:\[$inode\]"
}
for _ in $(seq 100); do
  if our_server_listens; then break; fi
  if ! kill -0 "$smbd_pid" 2>/dev/null; then
    cat "$root/log/smbd.out" >&2
    echo "smbd ended before it answered" >&2
    exit 1
  fi
  sleep 0.1
done
our_server_listens || { echo "smbd does not answer on $PORT" >&2; exit 1; }

export KAYOIJI_TEST_SMB_HOST="127.0.0.1@$PORT"
export KAYOIJI_TEST_SMB_URI="smb://127.0.0.1:$PORT/data"
export KAYOIJI_TEST_SMB_SHARE=data
export KAYOIJI_TEST_SMB_DIR="$root/share"
export KAYOIJI_TEST_SMB_USER="$user"
export KAYOIJI_TEST_SMB_PASSWORD="$password"
export KAYOIJI_TEST_WORK="$root"
export HOME="$root/home"
# Drive links are bookmarked for the file dialogs: never in the caller's files.
export XDG_CONFIG_HOME="$root/home/.config"
export XDG_RUNTIME_DIR="$root/runtime"
# The local volume monitor only; GVfs's remote monitors have nothing to find here.
export GIO_USE_VOLUME_MONITOR=unix
export GVFS_REMOTE_VOLUME_MONITOR_IGNORE=1
unset DBUS_SESSION_BUS_ADDRESS
dbus-run-session -- "$@"
