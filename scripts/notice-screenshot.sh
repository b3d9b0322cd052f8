#!/usr/bin/env bash
# Takes the README's picture of the notice that a run which gave up leaves
# behind: the program on two shares that cannot be reached, in a virtual
# display and a D-Bus session of its own with Debian's notification-daemon.
# Writes docs/notification.png.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/src/app/kayoiji}")
daemon=/usr/lib/notification-daemon/notification-daemon
[ -x "$daemon" ] || { echo "needs notification-daemon (apt-get install notification-daemon)" >&2; exit 1; }
out=$PWD/docs/notification.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The icon the notice names, where the daemon's icon theme looks.
mkdir -p "$work/data/icons/hicolor/48x48/apps" "$work/runtime"
cp data/icons/kayoiji-48.png "$work/data/icons/hicolor/48x48/apps/kayoiji.png"
chmod 700 "$work/runtime"
printf '%s\r\n' '### DRIVLINK Config file' 'DoMapping	True' 'SmallStart	False' \
  'NoErrorDialog	True' 'ExitTime	0' \
  'NetPath	\\fileserver\projects' 'LocalDrive	P:' 'WaitTime	0' 'MaxError	2' \
  'NetPath	\\nas\共有' 'LocalDrive	S:' 'WaitTime	1' 'MaxError	1' |
  iconv -f UTF-8 -t CP932 > "$work/ConfFile.dat"

cat > "$work/shoot.sh" <<SHOOT
set -e
XDG_DATA_HOME="$work/data" "$daemon" &
daemon_pid=\$!
sleep 1
KAYOIJI_DRIVES="$work/drives" XDG_CONFIG_HOME="$work/config" timeout 120 "$program" -f "$work/ConfFile.dat"
sleep 1
import -window root "$work/root.png"
kill \$daemon_pid
SHOOT
cd "$work"
XDG_RUNTIME_DIR="$work/runtime" xvfb-run -a -s '-screen 0 1024x600x24' \
  dbus-run-session -- bash "$work/shoot.sh"
# The program has ended: what is left on the black screen is the notice.
convert "$work/root.png" -trim +repage "$out"
echo "wrote $out"
