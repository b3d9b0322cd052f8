#!/usr/bin/env bash
# What a newcomer does, on a machine that has nothing yet: a minimal Debian
# (debootstrap's minbase of the release given, fetched afresh from the mirror
# this machine's apt sources name, no cache) with only git, make and
# ca-certificates added, the
# committed checkout cloned into /root/kayoiji (mode 0700, as on Debian),
# then the README's "make test" and "make run", "make package" and the
# package check, as root. The Samba integration test must run there, not be
# skipped, and "make run" must connect its demonstration share.
#
#   sudo bash scripts/fresh-machine-test.sh            Debian 13 (trixie), the current stable
#   sudo bash scripts/fresh-machine-test.sh bookworm   Debian 12
#
# The root lives below /var/tmp (KAYOIJI_FRESH_PARENT), outside the checkout,
# and is removed afterwards with every mount made for it, also after a
# failure or an interruption. Uncommitted changes are not part of the test.
set -euo pipefail
cd "$(dirname "$0")/.."
checkout=$PWD
suite=${1:-trixie}
case $suite in
  trixie | bookworm) ;;
  *) echo "usage: fresh-machine-test.sh [trixie|bookworm]" >&2; exit 2 ;;
esac
parent=${KAYOIJI_FRESH_PARENT:-/var/tmp}
start=$SECONDS
phase() { echo "== fresh machine: $* ($((SECONDS - start)) s)"; }

[ "$(id -u)" -eq 0 ] || { echo "fresh-machine-test.sh needs root (debootstrap, chroot, mounts)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "debootstrap is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }

# The first mirror of the suite $1 in this machine's apt sources, in the
# one-line form or the deb822 form.
mirror_of_sources() {
  local suite=$1 files=() f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && files+=("$f"); done
  if [ ${#files[@]} -gt 0 ]; then
    awk -v suite="$suite" '
      $1 == "deb" {
        i = 2
        if ($i ~ /^\[/) { while ($i !~ /\]$/ && i < NF) i++; i++ }
        if ($(i + 1) == suite) { print $i; exit }
      }' "${files[@]}"
  fi
  files=()
  for f in /etc/apt/sources.list.d/*.sources; do [ -f "$f" ] && files+=("$f"); done
  if [ ${#files[@]} -gt 0 ]; then
    awk -v suite="$suite" '
      function flush() {
        if (deb && enabled && has_suite && uri != "") { print uri; found = 1 }
        deb = 0; enabled = 1; has_suite = 0; uri = ""
      }
      BEGIN { enabled = 1 }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); if (found) exit; next }
      {
        key = tolower($1)
        if (key == "types:") for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1
        if (key == "enabled:" && tolower($2) == "no") enabled = 0
        if (key == "suites:") for (i = 2; i <= NF; i++) if ($i == suite) has_suite = 1
        if (key == "uris:" && uri == "") uri = $2
      }
      END { if (!found) flush() }' "${files[@]}"
  fi
}
# The host's sources may name only its own release; a Debian mirror keeps
# every current release, so the mirror of the host's own release serves the
# other one too.
host_suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
mirror=$(mirror_of_sources "$suite" | head -n 1)
[ -n "$mirror" ] || [ -z "$host_suite" ] || mirror=$(mirror_of_sources "$host_suite" | head -n 1)
[ -n "$mirror" ] || { echo "no Debian mirror in /etc/apt/sources*" >&2; exit 1; }

mkdir -p "$parent"
root=$(mktemp -d "$parent/kayoiji-fresh.XXXXXX")
# It becomes the new system's "/", which everyone may enter.
chmod 755 "$root"

# Processes still running in the root (a test cut short), then every mount
# below it, deepest first; the root is removed only when nothing is left
# mounted there.
cleanup() {
  local status=$? pid mount left
  set +e
  trap '' INT TERM
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
  done
  for _ in 1 2 3; do
    left=$(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/mounts | sort -r)
    [ -z "$left" ] && break
    for mount in $left; do
      umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true
    done
  done
  if awk -v r="$root" 'index($2, r "/") == 1 { found = 1 } END { exit !found }' /proc/mounts; then
    echo "fresh machine: still mounted below $root; left in place" >&2
  else
    rm -rf --one-file-system "$root" "$root.debootstrap.log"
  fi
  phase "removed (status $status)"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

phase "debootstrap --variant=minbase $suite into $root from the host's mirror"
debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 &
wait $! || {
  tail -n 30 "$root.debootstrap.log" >&2
  rm -f "$root.debootstrap.log"
  exit 1
}
rm -f "$root.debootstrap.log"
[ "$(stat -c %a "$root/root")" = 700 ] || { echo "/root in the new system is not of mode 0700" >&2; exit 1; }

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"

# A root shell on the new system: nothing of this machine's environment but
# whether warnings fail the build (CI's choice). It runs in the background so
# that a signal reaches the clean-up at once.
inside() {
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb KAYOIJI_WERROR="${KAYOIJI_WERROR:-OFF}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@" &
  wait $!
}

phase "apt-get install git make ca-certificates"
inside apt-get -q update
inside env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
  git make ca-certificates

phase "git clone into /root/kayoiji"
bundle=$root/tmp/kayoiji.bundle
git -C "$checkout" bundle create "$bundle" HEAD $(git -C "$checkout" symbolic-ref -q HEAD || true) 2>/dev/null
inside git -c advice.detachedHead=false clone -q /tmp/kayoiji.bundle /root/kayoiji
rm -f "$bundle"

phase "make test"
inside env KAYOIJI_TEST_REQUIRE_SMB=1 bash -c 'cd /root/kayoiji && make test 2>&1 | tee /tmp/test.log; exit ${PIPESTATUS[0]}'
grep -Eq '^ *[0-9]+/[0-9]+ Test +#[0-9]+: gio_smb_integration \.+ +Passed' "$root/tmp/test.log" || {
  echo "the Samba integration test did not run and pass on the fresh machine" >&2
  exit 1
}

phase "make run: the demonstration share, connected"
inside bash -c 'cd /root/kayoiji && make run' | tee "$root/tmp/run.log"
grep -q 'read through the link:' "$root/tmp/run.log" || {
  echo "make run did not show the demonstration share connected" >&2
  exit 1
}

phase "make package, lintian, install and run the package"
inside bash -c 'cd /root/kayoiji && make package && bash scripts/check-package.sh'

phase "passed"
