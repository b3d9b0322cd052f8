#!/usr/bin/env bash
# The installer's first page shows the licence notices: its heading is
# "ライセンス表示", and its text box holds the notices whole, from the first
# line to the last. The next page asks for whom to install. The pages'
# screenshots go to OUT.
# usage: license-page.sh WINE SETUP.EXE WINDOW-PROBE.EXE NOTICES.TXT OUT
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
. "$(dirname "$0")/virtual-display.sh"
on_virtual_display '-screen 0 1024x768x24' xdotool import -- "$@"
wine=$1 setup=$2 probe=$3 notices=$4 out=$5
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
texts=$(mktemp)
trap '"$server" -k 2>/dev/null || true; rm -f "$texts"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
mkdir -p "$out"

"$wine" "$setup" &
for ((i = 0; i < 300; i++)); do
  window=$(LC_ALL=C.UTF-8 xdotool search --onlyvisible --name '^Kayoiji .*セットアップ' 2>/dev/null |
    head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the installer shows no window"
sleep 1
title=$(LC_ALL=C.UTF-8 xdotool getwindowname "$window")
import -window "$window" "$out/windows-installer-licenses.png"
"$wine" "$probe" texts "$title" | tr -d '\r' >"$texts" || fail "cannot read the installer's page"
grep -qx $'text\tライセンス表示' "$texts" || fail "the first page is not headed ライセンス表示"
# The text box's text against the file, white space aside: all of it.
python3 - "$texts" "$notices" <<'PY' || fail "the page does not show the notices whole"
import sys
page = " ".join(open(sys.argv[1], encoding="utf-8").read().split())
notices = " ".join(open(sys.argv[2], encoding="utf-8-sig").read().split())
sys.exit(0 if notices in page else 1)
PY
echo "installer: the first page \"$title\" shows the notices ($(wc -c <"$notices") bytes) under ライセンス表示"

# "次へ": for whom (Wine runs it as administrator, so both can be chosen).
LC_ALL=C.UTF-8 xdotool windowfocus --sync "$window" key alt+n
sleep 1
title=$(LC_ALL=C.UTF-8 xdotool getwindowname "$window") || fail "the installer ended at \"次へ\""
"$wine" "$probe" texts "$title" | tr -d '\r' >"$texts" || fail "cannot read the installer's page"
for choice in '自分だけ (管理者権限は不要)' 'このコンピューターのすべてのユーザー'; do
  grep -qF "$choice" "$texts" || fail "the second page does not offer \"$choice\": $(cat "$texts")"
done
import -window "$window" "$out/windows-installer-mode.png"
echo "installer: the second page asks for whom to install"
