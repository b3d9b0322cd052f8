#!/usr/bin/env bash
# The relinking archive does what it is for: unpacked elsewhere, its
# relink.sh links Kayoiji.exe against the cached Qt for Windows into the
# same bytes as the build's program, which starts under Wine and shows its
# main window.
# usage: relink.sh WINE RELINK.ZIP QT-PREFIX BUILT-KAYOIJI.EXE
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
. "$(dirname "$0")/virtual-display.sh"
on_virtual_display '-screen 0 1024x768x24' -- "$@"
wine=$1 archive=$2 qt=$3 built=$4
. "$(dirname "$0")/main-window.sh"
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
work=$(mktemp -d)
program=
finish() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  "$server" -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

[ -f "$archive" ] || fail "no $archive (make windows makes it)"
unzip -q "$archive" -d "$work"
top=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
for f in README.txt relink.sh qt-build.txt config.summary; do
  [ -f "$top/$f" ] || fail "the archive lacks $f"
done
grep -q -- '-DFEATURE_optimize_size=ON' "$top/qt-build.txt" || fail "qt-build.txt lacks the configure options"
echo "archive: $(find "$top/obj" -type f | wc -l) files of the program"
QT=$qt sh "$top/relink.sh" || fail "relink.sh failed"
[ -f "$top/Kayoiji.exe" ] || fail "relink.sh made no Kayoiji.exe"
# The same objects, libraries and command: the same program, byte for byte.
cmp -s "$top/Kayoiji.exe" "$built" ||
  fail "the relinked program differs from the build's ($(stat -c %s "$top/Kayoiji.exe") bytes," \
    "the build's $(stat -c %s "$built"))"
echo "relinked: the same bytes as the build's Kayoiji.exe"

mkdir -p "$WINEPREFIX/drive_c/kayoiji-test/relink"
cp "$top/Kayoiji.exe" "$WINEPREFIX/drive_c/kayoiji-test/relink/"
printf '### DRIVLINK Config file\r\nDoMapping\tFalse\r\n' >"$WINEPREFIX/drive_c/kayoiji-test/relink/ConfFile.dat"
(cd "$WINEPREFIX/drive_c/kayoiji-test/relink" && exec "$wine" Kayoiji.exe -f ConfFile.dat) &
program=$!
main_window_shown || fail "the relinked program shows no main window"
echo "the relinked program starts and shows its main window"
