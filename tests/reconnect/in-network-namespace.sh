#!/usr/bin/env bash
# Runs a command in a network namespace of its own, with the loopback
# interface up and a default route over it: adding and removing that route
# is what GIO's network monitor reports as the network going and coming back.
#   in-network-namespace.sh COMMAND [ARGS...]
# Exits 77 (skipped) where no namespace can be made (not root, no unshare or ip).
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"
for tool in unshare ip; do
  command -v "$tool" >/dev/null || {
    echo "SKIPPED: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  }
done
unshare --net true 2>/dev/null || {
  echo "SKIPPED: no network namespace can be made here (it needs root)"
  exit 77
}
# Inside, name servers are out of reach: every look-up would wait for its
# timeout (seconds each, and the SMB client makes several). The namespace's
# own resolver configuration points at loopback, where the refusal is at once.
resolv=$(mktemp)
trap 'rm -f "$resolv"' EXIT
echo "nameserver 127.0.0.1" >"$resolv"
chmod 644 "$resolv"
unshare --net --mount -- bash -c '
  ip link set lo up && ip route add default dev lo &&
  { [ ! -e /etc/resolv.conf ] || mount --bind "$0" /etc/resolv.conf; } && "$@"' "$resolv" "$@"
