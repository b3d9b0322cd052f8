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
# Inside, name servers are out of reach: every look-up would wait for the
# resolver's timeout (5 s, twice, and the SMB client makes several, such as
# its own host name where /etc/hosts lacks it). One short try instead.
export RES_OPTIONS="timeout:1 attempts:1"
exec unshare --net -- bash -c 'ip link set lo up && ip route add default dev lo && exec "$@"' bash "$@"
