#!/usr/bin/env bash
# Runs a command with a real Secret Service: a gnome-keyring-daemon of its own
# on the D-Bus session bus (a private session when there is none), its
# keyrings in a temporary folder, the default keyring unlocked with a known
# password (KAYOIJI_TEST_KEYRING_PASSWORD, for tests that lock and unlock it).
#
#   secret-service.sh COMMAND [ARGS...]
#
# Exits 77 (skipped) when gnome-keyring is not installed.
set -euo pipefail
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- bash "$0" "$@"
fi
command -v gnome-keyring-daemon >/dev/null || {
  echo "SKIPPED: gnome-keyring is missing (scripts/install-deps.sh installs it)"
  exit 77
}

keyrings=$(mktemp -d "${TMPDIR:-/tmp}/kayoiji-keyring.XXXXXX")
daemon=""
cleanup() {
  local status=$?
  [ -n "$daemon" ] && kill "$daemon" 2>/dev/null && wait "$daemon" 2>/dev/null
  rm -rf "$keyrings"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_DATA_HOME=$keyrings
export KAYOIJI_TEST_KEYRING_PASSWORD="keyring-$$"
printf '%s' "$KAYOIJI_TEST_KEYRING_PASSWORD" |
  gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>"$keyrings/daemon.log" &
daemon=$!
for _ in $(seq 100); do
  gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null | grep -q true && break
  sleep 0.1
done
"$@"
