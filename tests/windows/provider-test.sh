#!/usr/bin/env bash
# The test network provider answering the connection calls of another
# program, as Wine's router hands them on: a share connected to Z: and read
# through it, each refusal with its code, the letter given back on cancel,
# and nothing removed that the provider did not make.
# usage: provider-test.sh WINE WNET-CALL.EXE PROVIDER.DLL   (inside provider.sh with-share)
set -euo pipefail
wine=$1 wnet_call=$2 dll=$3
source "$(dirname "$0")/provider.sh"
trap 'provider_server "$wine" -k 2>/dev/null || true' EXIT

fail() {
  echo "FAILED: $*" >&2
  echo "--- the provider's calls:" >&2
  provider_calls >&2
  exit 1
}
call() { "$wine" "$wnet_call" "$@" | tr -d '\r'; }
expect() {
  local want=$1 what=$2
  shift 2
  local got
  got=$(call "$@")
  [ "$got" = "$want" ] || fail "$what: wnet-call $* gave \"$got\", not \"$want\""
  echo "$what: $got"
}

provider_install "$wine" "$dll"
# Wine starts in the folder it is started from, and / is no drive here.
cd "$WINEPREFIX/drive_c"
other=$(dirname "$KAYOIJI_PROVIDER_SHARE_DIR")/provider-other
[ "$KAYOIJI_PROVIDER_SHARE_FROM" = samba ] && other=$KAYOIJI_TEST_WORK/provider-other
mkdir -p "$other"
provider_table \
  "share	\\\\fileserver\\共有	$KAYOIJI_PROVIDER_SHARE_DIR	taro	himitsu" \
  "share	\\\\fileserver\\経理	$other	taro	himitsu	86" \
  "answer	\\\\farserver\\data	64"
provider_reset

expect 0 "connected" add '\\fileserver\共有' Z: taro himitsu
expect $'0\t\\\\fileserver\\共有' "Z: names the share" get Z:
expect $'0\t\\\\fileserver\\共有' "the provider names it too" \
  provider-get 'C:\kayoiji-provider\kayoiji_test_provider.dll' Z:
text=$("$wine" cmd /c type 'Z:\hello.txt' | tr -d '\r')
echo "cmd /c type Z:\\hello.txt read: $text"
[ "$text" = "$(cat "$KAYOIJI_PROVIDER_SHARE_DIR/hello.txt")" ] || fail "Z:\\hello.txt reads \"$text\""
[ "$(provider_count NPAddConnection3 '\\fileserver\共有' 0)" = 1 ] ||
  fail "the Japanese share name did not reach the provider intact"

expect 1326 "wrong password" add '\\fileserver\共有' Y: taro wrong
expect 85 "letter in use" add '\\fileserver\経理' Z: taro himitsu
expect 86 "wrong password (86 for this share)" add '\\fileserver\経理' Y: taro wrong
expect 1219 "same server, another user" add '\\fileserver\経理' Y: hanako himitsu
expect 67 "unknown share" add '\\fileserver\none' Y: taro himitsu
expect 53 "unknown server" add '\\nohost\share' Y: taro himitsu
expect 64 "answer from the table" add '\\farserver\data' Y: taro himitsu

expect 0 "cancelled" cancel Z:
[ ! -e "$WINEPREFIX/dosdevices/z:" ] || fail "Z: is still a drive of the prefix"
expect 2250 "cancelled twice" cancel Z:
expect 2250 "C: is not the provider's" cancel C:
[ -e "$WINEPREFIX/dosdevices/c:" ] || fail "C: was removed"
echo "calls logged: $(wc -l <"$(provider_folder)/calls.log")"
