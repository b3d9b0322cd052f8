#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (errors and warnings
# fail), installs it the way a user would (so missing dependencies show),
# runs the installed program end to end, checks the start at log-in and from
# the menu, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

cmake --build "$build" --target package >/dev/null
deb=$(ls -t "$build"/kayoiji_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
# (lintian's note that it runs as root is about CI, not the package.)
status=0
report=$(lintian --fail-on error,warning "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" = 0 ] || { echo "lintian: the package has errors or warnings"; exit 1; }
echo "lintian: no errors, no warnings"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq -o DPkg::Lock::Timeout=600 "./$deb" >/dev/null
trap 'apt-get remove -y -qq -o DPkg::Lock::Timeout=600 kayoiji >/dev/null 2>&1 || true' EXIT

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; apt-get remove -y -qq -o DPkg::Lock::Timeout=600 kayoiji >/dev/null 2>&1 || true' EXIT

# The installed program, with nothing to connect and no exit delay, ends by itself.
printf 'DoMapping\tTrue\r\nExitTime\t0\r\n' > "$scratch/conf.dat"
QT_QPA_PLATFORM=offscreen timeout 20 /usr/bin/kayoiji -f "$scratch/conf.dat"
echo "installed program: exited by itself with status 0"

# Start at log-in for a fresh user home whose path needs quoting.
home="$scratch/home dir"
mkdir -p "$home"
HOME="$home" XDG_CONFIG_HOME= kayoiji-autostart enable
entry="$home/.config/autostart/kayoiji.desktop"
config="$home/.config/kayoiji/ConfFile.dat"
desktop-file-validate "$entry"
desktop-file-validate /usr/share/applications/kayoiji.desktop
[ "$(stat -c %a "$config")" = 600 ] || { echo "configuration is not private"; exit 1; }
grep -q '^Exec="/usr/bin/kayoiji" -f ".*/home dir/.config/kayoiji/ConfFile.dat"$' "$entry"
HOME="$home" kayoiji-autostart status
for size in 48 128 256; do
  test -f /usr/share/icons/hicolor/${size}x${size}/apps/kayoiji.png
done
HOME="$home" kayoiji-autostart disable

# The reconnect watcher ships beside it and starts at log-in when asked to.
kayoiji-reconnect --version | grep -qx 'Kayoiji [0-9.]*'
HOME="$home" XDG_CONFIG_HOME= kayoiji-autostart enable --reconnect >/dev/null
watcher_entry="$home/.config/autostart/kayoiji-reconnect.desktop"
desktop-file-validate "$watcher_entry"
grep -q '^Exec="/usr/bin/kayoiji-reconnect" -f ".*/home dir/.config/kayoiji/ConfFile.dat"$' "$watcher_entry"
HOME="$home" XDG_CONFIG_HOME= kayoiji-autostart disable >/dev/null

# The desktop menu starts the program on the same configuration: one that
# ends by itself proves it was read (a missing one would show an error box).
grep -qx 'Exec=kayoiji-autostart start' /usr/share/applications/kayoiji.desktop
printf 'DoMapping\tTrue\r\nExitTime\t0\r\n' > "$config"
(cd / && HOME="$home" XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen timeout 20 kayoiji-autostart start)
# Without one it is made from the sample, private; the sample waits for the user.
menu_home="$scratch/menu home"
mkdir -p "$menu_home"
status=0
HOME="$menu_home" XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen timeout 3 kayoiji-autostart start || status=$?
[ "$status" = 124 ] || { echo "the menu's start ended with $status"; exit 1; }
cmp "$menu_home/.config/kayoiji/ConfFile.dat" /usr/share/kayoiji/ConfFile.dat
[ "$(stat -c %a "$menu_home/.config/kayoiji/ConfFile.dat")" = 600 ]
echo "menu start: reads and makes the log-in start's configuration"
! HOME="$home" kayoiji-autostart status >/dev/null
echo "package check: passed"
