#!/usr/bin/env bash
# make bench-windows: the size of Kayoiji.exe and of a minimal Qt Widgets
# program built with the same static Qt (as built and stripped), then the
# start of the stripped ones, as the packages ship them, under Wine on a
# virtual screen, interleaved in one Wine session (bench/WineStart.cpp):
# the time from process creation to the first visible window.
# usage: wine-start.sh BUILD-FOLDER [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-20}
if [ -z "${KAYOIJI_ON_XVFB:-}" ]; then
  exec env KAYOIJI_ON_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
wine=$(sed -n 's/^KAYOIJI_WINE_LOADER:FILEPATH=//p' "$build/CMakeCache.txt")
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
export WINEPREFIX=$build/wineprefix-program WINEDEBUG=-all
# Wine gets the tests' Japanese locale, when the build made one.
run=("$wine")
if [ -d "$build/wine-locale/ja_JP.UTF-8" ]; then
  run=(env LOCPATH="$build/wine-locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$wine")
fi
trap '"$server" -k 2>/dev/null || true' EXIT

work=$WINEPREFIX/drive_c/kayoiji-bench
rm -rf "$work"
mkdir -p "$work"
strip=x86_64-w64-mingw32-strip
# Both are timed stripped, as the packages ship them: the debugging sections
# are part of the image Wine maps, and would double the as-built program's.
for exe in "$build/src/app/Kayoiji.exe" "$build/bench/minimal_window.exe"; do
  stripped=$work/$(basename "$exe")
  "$strip" -o "$stripped" "$exe"
  awk -v name="$(basename "$exe")" -v built="$(stat -c %s "$exe")" \
    -v stripped="$(stat -c %s "$stripped")" \
    'BEGIN { printf "%-20s %6.2f MB as built, %6.2f MB stripped\n", name, built / 1e6, stripped / 1e6 }'
done
# A run that connects nothing and ends by itself once the window is shown.
printf '### DRIVLINK Config file\r\nDoMapping\tTrue\r\nSmallStart\tFalse\r\nExitTime\t0\r\n' \
  >"$work/ConfFile.dat"
cp "$build/bench/wine_start.exe" "$work/"
cd "$work"
"${run[@]}" wine_start.exe "$runs" 'C:\kayoiji-bench\Kayoiji.exe -f C:\kayoiji-bench\ConfFile.dat' \
  'C:\kayoiji-bench\minimal_window.exe' | tr -d '\r'
