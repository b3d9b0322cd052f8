#!/usr/bin/env bash
# Runs a command against a private Samba server on 127.0.0.1 (the first free
# port from 4450, or KAYOIJI_TEST_SMB_PORT) inside a
# D-Bus session of its own, then stops the server and removes all it made.
#
#   smb-fixture.sh WORK_FOLDER COMMAND [ARGS...]
#
# The server lives in a temporary folder of its own, which its test user can
# reach wherever the checkout is; WORK_FOLDER keeps smbd's log after a
# failure. The command finds the server in KAYOIJI_TEST_SMB_* variables.
# Exits 77 (skipped) when the machine cannot run it, with the reason on
# stdout, or fails instead when KAYOIJI_TEST_REQUIRE_SMB=1.
set -euo pipefail
source "$(dirname "$0")/../../scripts/smb-server.sh"

readonly SKIP=77
work=${1:?work folder}
shift

skip() {
  echo "SKIPPED: $*"
  [ "${KAYOIJI_TEST_REQUIRE_SMB:-0}" = 1 ] && exit 1
  exit $SKIP
}

[ -c /dev/fuse ] || skip "no /dev/fuse: GVfs cannot give mounts a local path"
for tool in smbd smbpasswd dbus-run-session useradd userdel fusermount3 setsid setpriv; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/install-deps.sh installs it)"
done
gvfs_smb=$(ls /usr/libexec/gvfsd-smb /usr/lib/gvfs/gvfsd-smb 2>/dev/null | head -n 1 || true)
[ -n "$gvfs_smb" ] || skip "the GVfs SMB backend (gvfs-backends) is missing"
[ "$(id -u)" -eq 0 ] || skip "adding the Samba test user needs root"
# Several checkouts may run their tests at once on one machine.
ports=(4450 4499)
[ -n "${KAYOIJI_TEST_SMB_PORT:-}" ] && ports=("$KAYOIJI_TEST_SMB_PORT" "$KAYOIJI_TEST_SMB_PORT")

user="kyt$$"
root=""
user_added=0

cleanup() {
  local status=$?
  set +e
  smb_stop
  if [ "$status" -ne 0 ] && [ -n "$root" ] && [ -s "$root/log/smbd.out" ]; then
    cp "$root/log/smbd.out" "$work/smbd-failed.log" 2>/dev/null || true
    echo "--- the end of smbd's log (all of it in $work/smbd-failed.log):" >&2
    tail -n 30 "$root/log/smbd.out" >&2
  fi
  [ "$user_added" = 1 ] && userdel "$user" 2>/dev/null || true
  smb_remove "$root"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

root=$(smb_root)
mkdir -p "$root"/{runtime,home}
chmod 700 "$root/runtime"
useradd -M -N -s /usr/sbin/nologin -d /nonexistent "$user"
user_added=1
chown "$user" "$root/share"
if ! smb_reachable "$user" "$root/share"; then
  echo "the test user $user cannot enter $root/share: a parent folder of it is closed to" >&2
  echo "other users (set TMPDIR to a folder everyone may enter, such as /tmp)" >&2
  exit 1
fi
# Each authentication is logged, so that tests can count failed log-ons.
smb_serve "$root" "${ports[@]}" "map to guest = never" "log level = 1 auth_audit:3" \
  "[data]" "path = $root/share" "read only = no"
PORT=$SMB_PORT
password="Kayoiji-$$"
printf '%s\n%s\n' "$password" "$password" | smbpasswd -c "$root/smb.conf" -s -a "$user" >/dev/null

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
