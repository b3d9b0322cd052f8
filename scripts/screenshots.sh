#!/usr/bin/env bash
# Takes the README's screenshots under a virtual display: the main window,
# the settings dialog opened with "設定", and the About box opened with
# "Version". Writes docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/src/app/kayoiji}
out=docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\r\n' '### DRIVLINK Config file' 'DoMapping	False' 'SmallStart	False' \
  'NoErrorDialog	False' 'ExitTime	5' '# 1' 'NetPath	\\fileserver\projects' \
  'LocalDrive	P:' 'UserName	CORP\taro' "UserPasswd	$(printf '%s' 8A45E942F629F841E90EF613F7BAE916F618F83EE905F650F85BE8FE)" \
  'WaitTime	3' 'MaxError	5' > "$work/ConfFile.dat"

cat > "$work/shoot.sh" <<SHOOT
set -e
"$PWD/$program" -f "$work/ConfFile.dat" &
pid=\$!
sleep 2
import -window root -crop 384x128+0+0 "$PWD/$out/main-window.png"
xdotool mousemove 260 98 click 1
sleep 1
dialog=\$(xdotool search --name '^設定\$' | head -n 1)
import -window "\$dialog" "$PWD/$out/settings-dialog.png"
eval \$(xdotool getwindowgeometry --shell "\$dialog")
xdotool mousemove \$((X + 50)) \$((Y + 284)) click 1
sleep 1
about=\$(xdotool search --name '^バージョン情報\$' | head -n 1)
import -window "\$about" "$PWD/$out/about-box.png"
kill \$pid
SHOOT
cd "$work"
xvfb-run -a -s '-screen 0 1024x600x24' bash "$work/shoot.sh"
echo "wrote $out/main-window.png $out/settings-dialog.png $out/about-box.png"
