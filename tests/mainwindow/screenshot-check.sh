#!/usr/bin/env bash
# The real program in a real X server (white root window), under openbox when
# it is installed: its window sits at the top-left corner, is 384 x 128, is
# cut to the picture's shape and shows its labels.
set -u
program=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for tool in xvfb-run import xdotool convert python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'DoMapping\tFalse\r\nExitTime\t5\r\n' > "$work/conf.dat"
cat > "$work/shoot.sh" <<SHOOT
# Under a window manager when one is installed: it places windows that do
# not place themselves.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  sleep 0.5
fi
QT_QPA_PLATFORM=xcb "$program" -f "$work/conf.dat" &
pid=\$!
for i in \$(seq 50); do
  id=\$(xdotool search --name '^ Kayoiji\$' 2>/dev/null | head -n 1)
  [ -n "\$id" ] && break
  sleep 0.1
done
sleep 0.5
xdotool getwindowgeometry --shell "\$id" > "$work/geometry"
import -window root "$work/shot.png"
kill \$pid
SHOOT
xvfb-run -a -s '-screen 0 640x200x24 -wr' bash "$work/shoot.sh" 2>"$work/err" || { cat "$work/err"; exit 1; }
. "$work/geometry"
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 384 ] && [ "$HEIGHT" = 128 ] || exit 1
convert "$work/shot.png" "$work/shot.ppm"
convert "$source_dir/data/honeycomb.bmp" -depth 8 "$work/picture.ppm"
python3 "$(dirname "$0")/screenshot-check.py" "$work/shot.ppm" "$work/picture.ppm"
