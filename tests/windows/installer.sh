#!/usr/bin/env bash
# What ships: Kayoiji.exe is one GUI program that needs only Windows' own
# DLLs and carries its version; the portable zip holds it with the sample
# configuration and the licence notices; the installer installs silently for
# the current user (with "ログオン時に起動する" asked for by /STARTUP), the
# notices beside the program, the program starts from its shortcut's
# command, and the uninstaller removes everything but the user's
# configuration, which a second install does not replace either, not even
# with /CONFIG. Then for every user (/ALLUSERS) as an administrator deploys
# it: the configuration given with /CONFIG becomes the machine's, the
# shortcuts for all users name each user's own, which the first start makes
# from the machine's and a later start leaves alone; removed again.
# usage: installer.sh WINE KAYOIJI.EXE SETUP.EXE ZIP WINDOW-PROBE.EXE
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
. "$(dirname "$0")/virtual-display.sh"
on_virtual_display '-screen 0 1024x768x24' -- "$@"
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
# As cmd passes them, quotes and all (Wine would quote a parameter itself).
install_cmd() {
  local script=$WINEPREFIX/drive_c/kayoiji-test/setup.bat
  mkdir -p "$(dirname "$script")"
  printf '"%s" /S %s\r\nexit %%errorlevel%%\r\n' "$(winepath_w "$setup")" "$*" |
    iconv -f UTF-8 -t CP932 >"$script"
  "$wine" cmd /c 'C:\kayoiji-test\setup.bat' >/dev/null || return $?
  "$server" -w
}
# Connections an administrator hands out, in a file whose name has a blank.
given="$WINEPREFIX/drive_c/kayoiji-test/配布 設定.dat"
mkdir -p "$(dirname "$given")"
printf '### DRIVLINK Config file\r\nDoMapping\tFalse\r\nExitTime\t5\r\n' >"$given"
config_option="/CONFIG=\"$(winepath_w "$given")\""
uninstall() {
  "$wine" "$instdir/Uninstall.exe" /S
  # The uninstaller runs on from a copy of itself; wait for that too.
  "$server" -w
}

# No machine's configuration left by an earlier run: the sample makes the user's.
rm -rf "$instdir" "$(dirname "$config")" "$startup" "$watcher_startup" \
  "$WINEPREFIX/drive_c/ProgramData/Kayoiji"
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

install_cmd "$config_option" || fail "the second install failed: $?"
[ -f "$instdir/Kayoiji.exe" ] || fail "the second install failed"
[ ! -e "$startup" ] || fail "a Startup shortcut without /STARTUP"
[ ! -e "$watcher_startup" ] || fail "a watcher's Startup shortcut without /RECONNECT"
[ "$(cat "$config")" = $'DoMapping\tTrue\r' ] || fail "the second install replaced the user's configuration"
uninstall
rm "$config"
install_cmd "$config_option" || fail "the third install failed: $?"
cmp -s "$config" "$given" || fail "/CONFIG did not make the user's configuration"
uninstall
echo "installed again without /STARTUP: no Startup shortcut, the configuration kept;" \
  "/CONFIG makes a missing one"

# For every user of the machine.
machine_dir="$WINEPREFIX/drive_c/Program Files/Kayoiji"
seed=$WINEPREFIX/drive_c/ProgramData/Kayoiji/ConfFile.dat
common="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
machine_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kayoiji'
rm -rf "$machine_dir" "$(dirname "$seed")" "$(dirname "$config")"
status=0
"$wine" "$setup" /S /ALLUSERS '/CONFIG=C:\nothere.dat' || status=$?
"$server" -w
[ "$status" = 2 ] && [ ! -e "$machine_dir" ] || fail "a missing /CONFIG file: status $status"
install_cmd /ALLUSERS /STARTUP /RECONNECT "$config_option" || fail "/ALLUSERS failed: $?"
[ -f "$machine_dir/Kayoiji.exe" ] || fail "not installed into $machine_dir"
licenses "$machine_dir/licenses" "the program's folder for all users"
cmp -s "$seed" "$given" || fail "/CONFIG did not become the machine's configuration"
[ ! -e "$config" ] || fail "installing for all users made the installer's own configuration"
"$wine" reg query "$machine_key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry"
"$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "an uninstall entry of the user's own"
[ -f "$common/Kayoiji/Kayoiji.lnk" ] || fail "no Start menu shortcut for all users"
common_startup=$(find "$common" -maxdepth 1 -iname startup | head -n 1)
each_users='-f "%APPDATA%\Kayoiji\ConfFile.dat"'
for program in Kayoiji KayoijiReconnect; do
  link=$("$wine" "$probe" shortcut "$(winepath_w "$common_startup/$program.lnk")" | tr -d '\r')
  [ "$(sed -n 's/^target\t//p' <<<"$link")" = "$(winepath_w "$machine_dir/$program.exe")" ] &&
    [ "$(sed -n 's/^arguments\t//p' <<<"$link")" = "$each_users" ] ||
    fail "the Startup shortcut for all users: $link"
done
echo "installed for all users: shortcuts with $each_users, the machine's configuration in place"

# A user's first start as the shortcut starts it: the user's own
# configuration made from the machine's, then never replaced by it.
start_as_shortcut() {
  "$wine" "$machine_dir/Kayoiji.exe" -f '%APPDATA%\Kayoiji\ConfFile.dat' &
  program=$!
  main_window_shown || fail "the program for all users shows no main window"
  kill "$program"
  "$server" -k 2>/dev/null || true
}
start_as_shortcut
cmp -s "$config" "$given" || fail "the first start did not make the configuration from the machine's"
printf 'ExitTime\t9\r\n' >"$seed"
start_as_shortcut
cmp -s "$config" "$given" || fail "the machine's configuration replaced the user's"
echo "the first start made the user's configuration from the machine's; the second left it"

"$wine" "$machine_dir/Uninstall.exe" /S
"$server" -w
[ ! -e "$machine_dir" ] || fail "left behind: $(ls "$machine_dir")"
[ ! -e "$common_startup/Kayoiji.lnk" ] && [ ! -e "$common_startup/KayoijiReconnect.lnk" ] &&
  [ ! -e "$common/Kayoiji" ] || fail "shortcuts for all users left behind"
"$wine" reg query "$machine_key" >/dev/null 2>&1 && fail "the uninstall entry is left behind"
[ -f "$seed" ] && [ -f "$config" ] || fail "the machine's or the user's configuration was removed"
rm -rf "$(dirname "$seed")"
echo "uninstalled for all users; the configurations stay"
