#!/usr/bin/env bash
# Builds the Debian package, installs it the way a user would (so missing
# dependencies show), runs the installed program end to end, checks the
# start at log-in, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

cmake --build "$build" --target package >/dev/null
deb=$(ls -t "$build"/kayoiji_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./$deb" >/dev/null
trap 'apt-get remove -y -qq kayoiji >/dev/null 2>&1 || true' EXIT

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; apt-get remove -y -qq kayoiji >/dev/null 2>&1 || true' EXIT

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
! HOME="$home" kayoiji-autostart status >/dev/null
echo "package check: passed"
