#!/usr/bin/env bash
# Prepares the Wine prefix the Windows tests run in: created on first use,
# with Wine's null graphics driver (windows without a display), and a
# Japanese locale generated into the build folder, so that Wine's ANSI code
# page is 932 as on a Japanese system.
# With "x11" the prefix is for the real program on a screen instead: Wine's
# X11 driver, windows that Wine frames itself (there is no window manager),
# and the Japanese faces the program asks for replaced by the IPA fonts.
# Wine runs every program with an administrator's elevated token; the
# machine links the connections of both halves, as many offices set it, so
# that the program says nothing of it (the elevated case removes the value).
# usage: wine-prefix.sh <wine loader> <prefix> <locale folder> [x11]
set -euo pipefail
wine=$1 prefix=$2 locales=$3 display=${4:-null}

if [ ! -d "$locales/ja_JP.UTF-8" ]; then
  mkdir -p "$locales"
  if command -v localedef >/dev/null && [ -f /usr/share/i18n/locales/ja_JP ]; then
    localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || true
  fi
  [ -d "$locales/ja_JP.UTF-8" ] ||
    echo "no Japanese locale: the code page 932 cases will be skipped" >&2
fi

# The stamp holds this script's version: a prefix prepared by an older one
# is prepared again.
stamp=$prefix/.kayoiji-prepared
version=2
[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$prefix WINEDEBUG=-all
# Wine gets the locale; this shell, which could not load it, does not.
run=("$wine")
if [ -d "$locales/ja_JP.UTF-8" ]; then
  run=(env LOCPATH="$locales" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$wine")
fi
# The first call creates the prefix (a few seconds); its complaint about the
# missing 32-bit half is noise.
"${run[@]}" wineboot -i >/dev/null 2>&1
reg() { "${run[@]}" reg add "$@" /f >/dev/null; }
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\System' \
  /v EnableLinkedConnections /t REG_DWORD /d 1
if [ "$display" = x11 ]; then
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'; do
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic
  done
  for face in 'ＭＳ ゴシック' 'MS Gothic'; do
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic
  done
else
  reg 'HKCU\Software\Wine\Drivers' /v Graphics /d null
fi
"$server" -w
echo "$version" >"$stamp"
