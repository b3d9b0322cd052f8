#!/usr/bin/env bash
# What ships: Kayoiji.exe is one GUI program that needs only Windows' own
# DLLs and carries its version; the portable zip holds it with the sample
# configuration and the licence notices; the installer installs silently for
# the current user (with "ログオン時に起動する" asked for by /STARTUP), the
# notices beside the program, the program starts from its shortcut's
# command, and the uninstaller removes everything but the user's
# configuration, which a second install does not replace either.
# usage: installer.sh WINE KAYOIJI.EXE SETUP.EXE ZIP WINDOW-PROBE.EXE
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
if [ -z "${KAYOIJI_ON_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is missing"; exit 77; }
  exec env KAYOIJI_ON_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
wine=$1 exe=$2 setup=$3 zip=$4 probe=$5
for f in "$setup" "$zip"; do
  [ -f "$f" ] || { echo "FAILED: no $f (make windows runs cpack)" >&2; exit 1; }
done
. "$(dirname "$0")/main-window.sh"
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
trap '"$server" -k 2>/dev/null || true' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
winepath_w() { "$wine" winepath -w "$1" | tr -d '\r'; }

# The program itself.
objdump=x86_64-w64-mingw32-objdump
headers=$("$objdump" -p "$exe")
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || fail "not a GUI-subsystem program"
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort -u)
echo "imports:" $dlls
# Windows' own DLLs only: nothing of Qt or the compiler has to lie beside it.
system='^(KERNEL32|USER32|GDI32|SHCORE|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMDLG32|MPR|WS2_32|WINMM|IMM32|UXTHEME|DWMAPI|VERSION|NETAPI32|USERENV|SHLWAPI|UUID|WTSAPI32|SETUPAPI|CFGMGR32|D3D9|D3D11|D3D12|DXGI|DWRITE|D2D1|MSVCRT|AUTHZ|NTDLL|RPCRT4|API-MS-WIN-[A-Z0-9-]+)\.DLL$|^WINSPOOL\.DRV$'
for dll in $dlls; do
  grep -Eq "$system" <<<"$dll" || fail "Kayoiji.exe needs $dll"
done
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
grep -q '^"IDI_ICON1" 14 /\* RT_GROUP_ICON \*/' <<<"$resources" || fail "no icon"
# The version the installer is named after, as FILEVERSION 1, 0, 8, 0.
version=$(basename "$setup" | sed -n 's/^Kayoiji-\([0-9.]*\)-win64-setup\.exe$/\1/p')
grep -q "FILEVERSION ${version//./, }, 0" <<<"$resources" || fail "no version resource $version"

# The portable zip.
listing=$(unzip -Z1 "$zip")
for f in Kayoiji.exe KayoijiReconnect.exe ConfFile.dat; do
  grep -qx "Kayoiji-[0-9.]*-win64/$f" <<<"$listing" || fail "the zip lacks $f"
done
echo "zip: $(tr '\n' ' ' <<<"$listing")"
# The licence notices: an index and a file for every listed component.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
licenses() {
  python3 "$source_dir/scripts/windows-licenses.py" folder \
    "$source_dir/scripts/windows-components.ini" "$1" || fail "$2 lacks licence notices"
}
unpacked=$(mktemp -d)
trap '"$server" -k 2>/dev/null || true; rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
licenses "$unpacked"/Kayoiji-*-win64/licenses "the zip"
echo "zip: licenses\\ with $(ls "$unpacked"/Kayoiji-*-win64/licenses | wc -l) files"

home=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}
instdir=$home/AppData/Local/Programs/Kayoiji
config=$home/AppData/Roaming/Kayoiji/ConfFile.dat
programs="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# Wine spells it "StartUp".
startup="$(find "$programs" -maxdepth 1 -iname startup | head -n 1)/Kayoiji.lnk"
watcher_startup="$(dirname "$startup")/KayoijiReconnect.lnk"
menu="$programs/Kayoiji/Kayoiji.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kayoiji'

install() {
  "$wine" "$setup" /S "$@"
  "$server" -w
}
uninstall() {
  "$wine" "$instdir/Uninstall.exe" /S
  # The uninstaller runs on from a copy of itself; wait for that too.
  "$server" -w
}

rm -rf "$instdir" "$(dirname "$config")" "$startup" "$watcher_startup"
install /STARTUP /RECONNECT
[ -f "$instdir/Kayoiji.exe" ] || fail "not installed into $instdir"
licenses "$instdir/licenses" "the installed program's folder"
cmp -s "$config" "$instdir/ConfFile.dat" || fail "the user's configuration was not made from the sample"
[ -f "$menu" ] || fail "no Start menu shortcut"
[ -f "$startup" ] || fail "no Startup shortcut"
"$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry"
link=$("$wine" "$probe" shortcut "$(winepath_w "$startup")" | tr -d '\r')
echo "$link"
target=$(sed -n 's/^target\t//p' <<<"$link")
arguments=$(sed -n 's/^arguments\t//p' <<<"$link")
[ "$target" = "$(winepath_w "$instdir/Kayoiji.exe")" ] || fail "the Startup shortcut runs $target"
[ "$arguments" = "-f \"$(winepath_w "$config")\"" ] || fail "the Startup shortcut's arguments: $arguments"
# "ネットワーク接続時に再接続する" (/RECONNECT): the watcher on the same configuration.
[ -f "$watcher_startup" ] || fail "no Startup shortcut for the reconnect watcher"
link=$("$wine" "$probe" shortcut "$(winepath_w "$watcher_startup")" | tr -d '\r')
[ "$(sed -n 's/^target\t//p' <<<"$link")" = "$(winepath_w "$instdir/KayoijiReconnect.exe")" ] &&
  [ "$(sed -n 's/^arguments\t//p' <<<"$link")" = "-f \"$(winepath_w "$config")\"" ] ||
  fail "the watcher's Startup shortcut: $link"

# The program starts as the shortcut starts it, on the user's configuration.
"$wine" "$instdir/Kayoiji.exe" -f "$(winepath_w "$config")" &
program=$!
main_window_shown || fail "the installed program shows no main window"
kill "$program"
"$server" -k 2>/dev/null || true
echo "installed with the Startup shortcut; the installed program starts"

printf 'DoMapping\tTrue\r\n' >"$config"
uninstall
[ ! -e "$instdir" ] || fail "left behind: $(ls "$instdir")"
[ ! -e "$startup" ] && [ ! -e "$watcher_startup" ] && [ ! -e "$menu" ] || fail "shortcuts left behind"
"$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is left behind"
[ "$(cat "$config")" = $'DoMapping\tTrue\r' ] || fail "the user's configuration was removed or changed"
echo "uninstalled; the user's configuration stays"

install
[ -f "$instdir/Kayoiji.exe" ] || fail "the second install failed"
[ ! -e "$startup" ] || fail "a Startup shortcut without /STARTUP"
[ ! -e "$watcher_startup" ] || fail "a watcher's Startup shortcut without /RECONNECT"
[ "$(cat "$config")" = $'DoMapping\tTrue\r' ] || fail "the second install replaced the user's configuration"
uninstall
echo "installed again without /STARTUP: no Startup shortcut, the configuration kept"
