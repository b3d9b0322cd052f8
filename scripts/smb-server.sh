# A private Samba server on 127.0.0.1, for the integration test
# (tests/integration/smb-fixture.sh) and the demonstration of "make run"
# (scripts/demo-run.sh). Sourced, not run.
#
#   smb_root            a fresh folder of its own (mode 0755) for the server
#   smb_free_port A B   the first port from A to B nobody listens on
#   smb_write_conf ROOT PORT SHARE_OPTIONS...   ROOT/smb.conf, sharing ROOT/share as "data"
#   smb_reachable USER DIR   whether USER can enter and read DIR
#   smb_start ROOT PORT   starts smbd (SMB_PID), waits until it listens on PORT;
#                         2 when another server took the port first
#   smb_serve ROOT A B SHARE_OPTIONS...   the three above, on the first free
#                         port from A to B that stays ours (SMB_PORT)
#   smb_stop              stops it again
#   smb_remove ROOT       removes the folder, never following a leftover mount

export PATH="$PATH:/usr/sbin:/sbin"
SMB_PID=""

smb_port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

smb_free_port() {
  local port
  for port in $(seq "$1" "$2"); do
    smb_port_in_use "$port" || {
      echo "$port"
      return 0
    }
  done
  return 1
}

# smbd serves as its users, who must be able to reach the share. A build
# folder may lie below a home of mode 0700 (/root on Debian): the server
# therefore lives in a temporary folder of its own, never below the checkout.
smb_root() {
  local root
  root=$(mktemp -d "${TMPDIR:-/tmp}/kayoiji-smb.XXXXXX") || return 1
  chmod 755 "$root"
  mkdir -p "$root"/{share,private,lock,state,cache,pid,ncalrpc,log}
  chmod 700 "$root/private"
  echo "$root"
}

smb_write_conf() {
  local root=$1 port=$2
  shift 2
  {
    cat <<CONF
[global]
  server role = standalone server
  workgroup = WORKGROUP
  smb ports = $port
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
  usershare path =
CONF
    local option
    for option in "$@"; do
      case $option in
        '['*) echo "$option" ;;
        *) echo "  $option" ;;
      esac
    done
  } >"$root/smb.conf"
}

# access() checks the search right on every parent folder too, as the
# server's chdir will.
smb_reachable() {
  local user=$1 dir=$2
  setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    test -x "$dir" -a -r "$dir" 2>/dev/null
}

# Whether process PID holds the socket listening on 127.0.0.1:PORT. Another
# checkout's server may take a free port between the choice and the start:
# an answer on the port alone does not say it is ours.
smb_listens() {
  local pid=$1 inode fds
  # Read whole, not piped: grep -q would close the pipe under ls, and with
  # pipefail a match would count as a miss.
  fds=$(ls -l "/proc/$pid/fd" 2>/dev/null || true)
  for inode in $(awk -v a="0100007F:$(printf '%04X' "$2")" '$2 == a && $4 == "0A" { print $10 }' \
    /proc/net/tcp); do
    grep -q "socket:\[$inode\]" <<<"$fds" && return 0
  done
  return 1
}

smb_start() {
  local root=$1 port=$2
  # smbd signals its whole process group as it ends: give it one of its own,
  # so that neither the caller nor ctest goes with it.
  setsid smbd --foreground --no-process-group --debug-stdout -s "$root/smb.conf" \
    >"$root/log/smbd.out" 2>&1 &
  SMB_PID=$!
  local _
  for _ in $(seq 100); do
    smb_listens "$SMB_PID" "$port" && return 0
    if ! kill -0 "$SMB_PID" 2>/dev/null; then
      SMB_PID=""
      if smb_port_in_use "$port"; then return 2; fi
      cat "$root/log/smbd.out" >&2
      echo "smbd ended before it answered" >&2
      return 1
    fi
    sleep 0.1
  done
  smb_stop
  smb_port_in_use "$port" && return 2
  echo "smbd does not answer on port $port" >&2
  return 1
}

smb_serve() {
  local root=$1 first=$2 last=$3 port status _
  shift 3
  for _ in 1 2 3 4 5; do
    port=$(smb_free_port "$first" "$last") || {
      echo "no free port between $first and $last" >&2
      return 1
    }
    smb_write_conf "$root" "$port" "$@"
    status=0
    smb_start "$root" "$port" || status=$?
    if [ "$status" = 0 ]; then
      SMB_PORT=$port
      return 0
    fi
    [ "$status" = 2 ] || return 1
  done
  echo "other servers kept taking the free ports between $first and $last" >&2
  return 1
}

smb_stop() {
  if [ -n "$SMB_PID" ]; then
    kill "$SMB_PID" 2>/dev/null || true
    wait "$SMB_PID" 2>/dev/null || true
    SMB_PID=""
  fi
}

smb_remove() {
  local root=$1
  [ -n "$root" ] && [ -d "$root" ] || return 0
  # A FUSE mount left by a GVfs that did not end cleanly must not be walked into.
  grep " $root/" /proc/mounts | cut -d' ' -f2 | xargs -r -n 1 fusermount3 -u -z 2>/dev/null || true
  rm -rf --one-file-system "$root"
}
