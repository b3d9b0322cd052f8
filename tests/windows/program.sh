#!/usr/bin/env bash
# The real Kayoiji.exe under Wine, its windows on a virtual X screen (white
# root window, no window manager), driven as a user would, one case a run:
#   main-window      at (0, 0), cut to the honeycomb (the window's region is
#                    the committed one), labels drawn; "×" ends it
#   failing-run      one entry that Wine cannot connect: the titles and error
#                    boxes of each attempt, then the program ends by itself
#   settings-dialog  "設定", an entry typed and saved into a folder whose name
#                    holds "表" (second Shift-JIS byte 0x5C); the file's bytes;
#                    "Version" shows the About box
#   missing-config   the box for a configuration file that is not there
#   elevated         without the machine's EnableLinkedConnections, an
#                    elevated token (Wine 8 gives one) hides the drives from
#                    unelevated programs: the box and the state label say so
#                    once, and the watcher (KAYOIJI_RECONNECT_EXE) in its log;
#                    under a limited token (Wine 10's) neither says a word
# With the test network provider (provider.sh, the share in
# KAYOIJI_PROVIDER_SHARE_DIR, the DLL in KAYOIJI_PROVIDER_DLL, the second
# program's calls through KAYOIJI_WNET_CALL):
#   provider-run     the log-in run of three entries: one connects (and its
#                    letter reads the share afterwards), one has a wrong
#                    password (tried once), one's letter is someone else's
#                    connection (85, which stays); then the end by itself
#   provider-connection-test   "接続テスト": success leaves no letter behind;
#                    on a letter connected by someone else, 85 and it stays
#   provider-connect-now       "接続" during the run: every entry at once,
#                    then the program ends after ExitTime, before the run
#   provider-password-store    the option "パスワードをシステムに保管" ticked
#                    and saved: the file keeps no password, and the run
#                    connects with the one from Wine's Credential Manager
# Screenshots go to OUT (the README's are copied from there).
# usage: program.sh CASE WINE KAYOIJI.EXE WINDOW-PROBE.EXE SOURCE-DIR OUT
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
. "$(dirname "$0")/virtual-display.sh"
on_virtual_display '-screen 0 1024x768x24 -wr' xdotool import -- "$@"
case_name=$1 wine=$2 exe=$3 probe=$4 source_dir=$5 out=$6
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
work=$WINEPREFIX/drive_c/kayoiji-test/$case_name
rm -rf "$work"
mkdir -p "$work" "$out"
pid=
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  # Nothing of this prefix may outlive the screen it draws on.
  "$server" -k 2>/dev/null || true
}
trap finish EXIT

fail() {
  echo "FAILED: $*" >&2
  import -window root "$out/$case_name-failure.png" 2>/dev/null || true
  exit 1
}
# X reads the titles as UTF-8 whatever the test's own locale.
xdo() { LC_ALL=C.UTF-8 xdotool "$@"; }
# The first visible window whose title matches; waits up to $2 seconds.
wait_window() {
  local id i
  for ((i = 0; i < ${2:-20} * 10; i++)); do
    id=$(xdo search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window titled /$1/ within ${2:-20} s"
}
# The Windows side of a window: the screen position of its client area.
client_origin() {
  local x y w h
  read -r x y w h < <("$wine" "$probe" client "$1" | tr -d '\r') || fail "no client area of $1"
  echo "$x $y"
}
click() { xdo mousemove "$1" "$2" click 1; sleep 0.3; }
# A configuration file as the program writes it: Shift-JIS, CR LF.
config() {
  local file=$1
  shift
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 >"$file"
}
start() {
  cp "$exe" "$work/Kayoiji.exe"
  (cd "$work" && exec "$wine" Kayoiji.exe "$@") &
  pid=$!
}
# Ends within $1 seconds by itself, or fails.
wait_exit() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; pid=; return 0; }
    sleep 0.1
  done
  fail "the program did not end within $1 s"
}
# Boxes are answered with their default button (there is no window manager
# to activate them: the focus is given directly).
dismiss() {
  xdo windowfocus --sync "$1"
  xdo key Return
  sleep 0.5
}

# The message box's text: Qt's boxes copy title, text and buttons on Ctrl+C.
box_text() {
  xdo windowfocus --sync "$1"
  xdo key ctrl+c
  sleep 0.3
  "$wine" "$probe" clipboard | tr -d '\r'
}
expect_box() {
  local box text
  box=$(wait_window "^$1\$" "${3:-10}")
  text=$(box_text "$box")
  grep -qF "$2" <<<"$text" || fail "box \"$1\" says \"$text\", not \"$2\""
  echo "box \"$1\": \"$2\"" >&2
  echo "$box"
}
shot_main() { import -window root -crop 384x128+0+0 +repage "$out/$1"; }
# "設定" on the main window, once it rests: the dialog's window in $dialog,
# its client area's screen position in $cx $cy.
open_settings() {
  wait_window '^ Kayoiji$' 30 >/dev/null
  sleep 0.5
  click 260 98
  dialog=$(wait_window '^設定$' 10)
  sleep 1
  read -r cx cy < <(client_origin 設定)
}

# Four shares of one server that accept taro's password; Y: or Z: may be
# taken by "someone else": another program's connection through the provider.
provider_setup() {
  source "$source_dir/tests/windows/provider.sh"
  provider_install "$wine" "$KAYOIJI_PROVIDER_DLL"
  local share
  local lines=()
  for share in 共有 経理 資料 予備; do
    lines+=("share	\\\\fileserver\\$share	$KAYOIJI_PROVIDER_SHARE_DIR	taro	himitsu")
  done
  provider_table "${lines[@]}"
  provider_reset
  # Wine starts in the folder it is started from, and / is no drive here.
  cd "$WINEPREFIX/drive_c"
  echo "the share's folder: $KAYOIJI_PROVIDER_SHARE_DIR ($KAYOIJI_PROVIDER_SHARE_FROM)"
}
# "himitsu" and "wrong" as the settings dialog stores them.
HIMITSU=8B3AED4CED38F743EC14F117F7BAF91BED20ED3FF717EC54F151F70E
WRONG=8949F64EF22BFB40F319EB25F5B6F21AFB25F339EB19F65AF24FFA0D
# The message for 1326, the refusal of a user name or password.
LOGON_FAILURE=ユーザー名かパスワードが違います。
wnet() { "$wine" "$KAYOIJI_WNET_CALL" "$@" | tr -d '\r'; }
# Waits up to $4 seconds for a logged call: function, name, result.
wait_call() {
  local i
  for ((i = 0; i < ${4:-10} * 10; i++)); do
    [ "$(provider_count "$1" "$2" "$3")" -gt 0 ] && return 0
    sleep 0.1
  done
  fail "no call $1 $2 answered $3 within ${4:-10} s"
}
calls() {
  local want=$1 got
  shift
  got=$(provider_count "$@")
  [ "$got" = "$want" ] || fail "$got calls $*, not $want"
}

case $case_name in
  main-window)
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	False' 'ExitTime	5'
    start -f ConfFile.dat
    main=$(wait_window '^ Kayoiji$' 30)
    sleep 1
    eval "$(xdo getwindowgeometry --shell "$main")"
    echo "main window at $X,$Y size ${WIDTH}x$HEIGHT"
    [ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,384,128" ] || fail "the main window is not 384 x 128 at 0, 0"
    data=$("$wine" winepath -w "$source_dir/data/honeycomb-region.dat" | tr -d '\r')
    "$wine" "$probe" region ' Kayoiji' "$data" | tr -d '\r' || fail "the window's region is not the committed one"
    import -window root "$work/shot.png"
    convert "$work/shot.png" -crop 384x128+0+0 +repage "$out/windows-main-window.png"
    if command -v python3 >/dev/null; then
      convert "$work/shot.png" "$work/shot.ppm"
      convert "$source_dir/data/honeycomb.bmp" -depth 8 "$work/picture.ppm"
      python3 "$source_dir/tests/mainwindow/screenshot-check.py" "$work/shot.ppm" "$work/picture.ppm" ||
        fail "the screenshot does not show the shaped window with its labels"
    fi
    click 366 32  # "×"
    wait_exit 10
    ;;

  failing-run)
    # Wine has no network provider: the connection call answers 1222.
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	True' 'SmallStart	False' \
      'NoErrorDialog	False' 'ExitTime	2' '# 1' 'NetPath	\\nohost\share' 'LocalDrive	Q:' \
      'UserName	' 'UserPasswd	' 'WaitTime	0' 'MaxError	2'
    start -f ConfFile.dat
    for attempt in 1 2; do
      # While the error box is open the title still says that it connects
      # (the first attempt comes a second after start-up, maybe before Wine
      # has shown the window).
      wait_window '^\*Kayoiji \[接続中\]$' 30 >/dev/null
      box=$(wait_window '^エラー$' 10)
      echo "attempt $attempt: title \"*Kayoiji [接続中]\", error box shown"
      [ "$attempt" = 1 ] && import -window "$box" "$out/windows-error-box.png"
      dismiss "$box"
      if [ "$attempt" = 1 ]; then
        wait_window '^ Kayoiji \[再試行待ち\]$' 10 >/dev/null
        echo "after attempt 1: title \" Kayoiji [再試行待ち]\""
      fi
    done
    wait_window '^ Kayoiji \[終了処理中\]$' 10 >/dev/null
    echo "after attempt 2: title \" Kayoiji [終了処理中]\""
    wait_exit 10
    echo "the program ended by itself"
    ;;

  settings-dialog)
    # The folder's name holds 表 (0x95 0x5C in Shift-JIS): a byte-wise path
    # split would take its second byte for a backslash.
    work=$work/通い路の表
    mkdir -p "$work"
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	False' 'SmallStart	False' \
      'NoErrorDialog	False' 'ExitTime	5' '# 1' 'NetPath	\\fileserver\共有' 'LocalDrive	P:' \
      'UserName	' 'UserPasswd	' 'WaitTime	3' 'MaxError	5'
    start
    wait_window '^ Kayoiji$' 30 >/dev/null
    sleep 0.5
    click 260 98  # "設定"
    dialog=$(wait_window '^設定$' 10)
    sleep 1
    read -r cx cy < <(client_origin 設定)
    # The user name and password boxes of the entry shown (number 1).
    click $((cx + 12 + 260 + 70)) $((cy + 92 + 73 + 12))
    xdo type --delay 50 'CORP\taro'
    click $((cx + 12 + 260 + 70)) $((cy + 92 + 101 + 12))
    xdo type --delay 50 'himitsu'
    xdo mousemove $((cx + 12 + 64 + 100)) $((cy + 92 + 41 + 12))  # the hint of 接続先
    sleep 1
    import -window "$dialog" "$out/windows-settings-dialog.png"
    click $((cx + 516 + 42)) $((cy + 272 + 12))  # "保存"
    box=$(wait_window '^情報$' 10)  # "上書きしてよろしいですか？"
    dismiss "$box"
    box=$(wait_window '^情報$' 10)  # "プログラムを再起動してください。"
    dismiss "$box"
    sleep 0.5
    file=$work/ConfFile.dat
    LC_ALL=C grep -qv $'\r$' "$file" && fail "a line does not end in CR LF"
    [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the file does not end in CR LF"
    expect() {
      LC_ALL=C grep -qF "$(printf '%s\r' "$1" | iconv -f UTF-8 -t CP932)" "$file" || fail "no line \"$1\""
    }
    expect 'NetPath	\\fileserver\共有'
    expect 'LocalDrive	P:'
    expect 'UserName	CORP\taro'
    expect 'WaitTime	3'
    LC_ALL=C grep -qE $'^UserPasswd\t[0-9A-F]{8,}\r$' "$file" || fail "no scrambled password"
    LC_ALL=C grep -q himitsu "$file" && fail "the password is stored in plain text"
    # Nothing was written beside the folder, as a path cut at 0x5C would.
    [ "$(ls "$work/..")" = "通い路の表" ] || fail "unexpected files: $(ls "$work/..")"
    echo "saved: $(LC_ALL=C wc -c <"$file") bytes, Shift-JIS, CR LF, password scrambled"
    # The About box from "Version".
    click 260 98
    wait_window '^設定$' 10 >/dev/null
    sleep 0.5
    click $((cx + 20 + 34)) $((cy + 276 + 8))
    about=$(wait_window '^バージョン情報$' 10)
    sleep 1
    import -window "$about" "$out/windows-about-box.png"
    echo "About box shown"
    click 366 32  # "×" of the main window
    wait_exit 10
    ;;

  missing-config)
    start -f nothere.dat
    box=$(wait_window '^エラー$' 30)  # "設定ファイルオープンエラー"
    sleep 0.5
    import -window "$box" "$out/windows-missing-config.png"
    dismiss "$box"
    wait_window '^ Kayoiji$' 10 >/dev/null
    echo "box \"エラー\" shown, then the main window"
    click 366 32
    wait_exit 10
    ;;

  elevated)
    policy='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\System'
    "$wine" reg delete "$policy" /v EnableLinkedConnections /f >/dev/null
    trap '"$wine" reg add "$policy" /v EnableLinkedConnections /t REG_DWORD /d 1 /f >/dev/null
          finish' EXIT
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	False' \
      'NoErrorDialog	False' 'ExitTime	5'
    # Wine 8 starts programs with the elevated half of a split token, Wine 10
    # with the limited one (the warning's own rule is then the double's, in
    # ElevationTest): the program must say exactly what its token calls for.
    token=$("$wine" "$probe" elevation | tr -d '\r' | cut -f2)
    echo "Wine's token for a program: $token"
    start -f ConfFile.dat
    if [ "$token" = full ]; then
      box=$(expect_box 'エラー' '管理者として実行中です。' 30)
      dismiss "$box"
    fi
    wait_window '^ Kayoiji$' 10 >/dev/null
    sleep 1
    shot_main windows-elevated.png
    echo "the main window after the box: $out/windows-elevated.png"
    [ "$token" = full ] || [ -z "$(xdo search --onlyvisible --name '^エラー$' 2>/dev/null)" ] ||
      fail "a box about elevation under a $token token"
    click 366 32
    wait_exit 10
    log=$(find "$WINEPREFIX/drive_c/users" -path '*/Local/Kayoiji/reconnect.log')
    [ -z "$log" ] || rm -f "$log"
    "$wine" "$KAYOIJI_RECONNECT_EXE" -f "$("$wine" winepath -w "$work/ConfFile.dat" | tr -d '\r')" &
    pid=$!
    for _ in $(seq 100); do
      log=$(find "$WINEPREFIX/drive_c/users" -path '*/Local/Kayoiji/reconnect.log')
      [ -n "$log" ] && grep -q '待機中' "$log" && break
      sleep 0.1
    done
    [ -n "$log" ] && [ "$(grep -c '管理者として実行中です。' "$log")" = "$([ "$token" = full ] && echo 1 || echo 0)" ] ||
      fail "the watcher's log does not say it exactly when elevated ($token): $(cat "$log" 2>/dev/null)"
    [ "$token" != full ] || grep '管理者として' "$log"
    ;;

  provider-run)
    provider_setup
    [ "$(wnet add '\\fileserver\予備' Y: taro himitsu)" = 0 ] || fail "no connection on Y: beforehand"
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	True' 'SmallStart	False' \
      'NoErrorDialog	False' 'ExitTime	2' \
      '# 1' 'NetPath	\\fileserver\共有' 'LocalDrive	Z:' 'UserName	taro' "UserPasswd	$HIMITSU" \
      'WaitTime	0' 'MaxError	3' \
      '# 2' 'NetPath	\\fileserver\経理' 'LocalDrive	X:' 'UserName	taro' "UserPasswd	$WRONG" \
      'WaitTime	2' 'MaxError	3' \
      '# 3' 'NetPath	\\fileserver\資料' 'LocalDrive	Y:' 'UserName	taro' "UserPasswd	$HIMITSU" \
      'WaitTime	2' 'MaxError	2'
    start -f ConfFile.dat
    wait_window '^ Kayoiji$' 30 >/dev/null
    # Tick 1: entry 1 alone.
    wait_call NPAddConnection3 '\\fileserver\共有' 0 15
    sleep 0.7
    wait_window '^ Kayoiji$' 5 >/dev/null
    shot_main windows-provider-connected.png
    echo "entry 1 connected: \"接続終了。\" ($out/windows-provider-connected.png)"
    # Tick 3: entries 2 and 3.
    box=$(expect_box エラー "$LOGON_FAILURE")
    wait_window '^\*Kayoiji \[接続中\]$' 5 >/dev/null
    import -window "$box" "$out/windows-provider-logon-failure.png"
    dismiss "$box"
    box=$(expect_box エラー 既に接続されています。)
    import -window "$box" "$out/windows-provider-letter-in-use.png"
    dismiss "$box"
    wait_window '^ Kayoiji \[再試行待ち\]$' 10 >/dev/null
    echo "title \" Kayoiji [再試行待ち]\""
    # Tick 6: entry 3 again; entry 2 is not tried again. (Generous waits:
    # Wine on a loaded machine may take seconds for a tick.)
    box=$(expect_box エラー 既に接続されています。 30)
    dismiss "$box"
    wait_window '^ Kayoiji \[終了処理中\]$' 30 >/dev/null
    echo "title \" Kayoiji [終了処理中]\""
    for ((i = 0; i < 100; i++)); do
      kill -0 "$pid" 2>/dev/null || break
      [ -z "$(xdo search --onlyvisible --name '^(エラー|情報)$' 2>/dev/null || true)" ] ||
        fail "a box after the end of the run"
      sleep 0.1
    done
    wait_exit 5
    echo "the program ended by itself, no box after the run"
    calls 1 NPAddConnection3 '\\fileserver\共有'
    calls 1 NPAddConnection3 '\\fileserver\経理'
    calls 1 NPAddConnection3 '\\fileserver\経理' 1326
    calls 2 NPAddConnection3 '\\fileserver\資料' 85
    calls 0 NPCancelConnection Y:
    echo "the provider saw 共有 once, 経理 once (1326), 資料 twice (85), no cancel"
    [ "$(wnet get Y:)" = $'0\t\\\\fileserver\\予備' ] || fail "Y: is not someone else's connection any more"
    [ "$(wnet get Z:)" = $'0\t\\\\fileserver\\共有' ] || fail "Z: does not name the share"
    read_back=$("$wine" cmd /c type 'Z:\hello.txt' | tr -d '\r')
    echo "cmd /c type Z:\\hello.txt read: $read_back"
    [ "$read_back" = "$(cat "$KAYOIJI_PROVIDER_SHARE_DIR/hello.txt")" ] || fail "Z:\\hello.txt is not the share's"
    ;;

  provider-connection-test)
    provider_setup
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	False' 'SmallStart	False' \
      'NoErrorDialog	True' 'ExitTime	5' \
      '# 1' 'NetPath	\\fileserver\共有' 'LocalDrive	Z:' 'UserName	taro' \
      "UserPasswd	$HIMITSU" 'WaitTime	0' 'MaxError	1'
    start -f ConfFile.dat
    open_settings
    test_button() { click $((cx + 12 + 16 + 46)) $((cy + 92 + 108 + 12)); }
    test_button
    box=$(expect_box 情報 接続テスト正常終了。)
    # The connection is gone before the box is shown.
    calls 1 NPAddConnection3 '\\fileserver\共有' 0
    calls 1 NPCancelConnection Z: 0
    [ ! -e "$WINEPREFIX/dosdevices/z:" ] || fail "the test left Z: connected"
    import -window "$box" "$out/windows-provider-connection-test.png"
    dismiss "$box"
    echo "connected, removed again, then \"接続テスト正常終了。\""
    [ "$(wnet add '\\fileserver\予備' Z: taro himitsu)" = 0 ] || fail "no connection on Z: for someone else"
    test_button
    box=$(expect_box エラー 既に接続されています。)
    import -window "$box" "$out/windows-provider-connection-test-in-use.png"
    dismiss "$box"
    calls 1 NPAddConnection3 '\\fileserver\共有' 85
    calls 1 NPCancelConnection Z:
    [ "$(wnet get Z:)" = $'0\t\\\\fileserver\\予備' ] || fail "someone else's Z: was touched"
    echo "Z: taken: 85, and the other connection stays"
    click 366 32
    wait_exit 10
    ;;

  provider-connect-now)
    provider_setup
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	True' 'SmallStart	False' \
      'NoErrorDialog	True' 'ExitTime	3' \
      '# 1' 'NetPath	\\fileserver\共有' 'LocalDrive	Z:' 'UserName	taro' \
      "UserPasswd	$HIMITSU" 'WaitTime	0' 'MaxError	1' \
      '# 2' 'NetPath	\\fileserver\資料' 'LocalDrive	W:' 'UserName	taro' \
      "UserPasswd	$HIMITSU" 'WaitTime	8' 'MaxError	1'
    start -f ConfFile.dat
    wait_window '^ Kayoiji$' 30 >/dev/null
    wait_call NPAddConnection3 '\\fileserver\共有' 0 15
    sleep 0.5
    click 336 98  # "接続"
    clicked=$SECONDS
    wait_call NPAddConnection3 '\\fileserver\資料' 0 10
    sleep 0.5
    shot_main windows-provider-connect-now.png
    wait_exit 10
    echo "the program ended $((SECONDS - clicked)) s after \"接続\" (ExitTime 3)"
    [ $((SECONDS - clicked)) -le 7 ] || fail "the program did not end ExitTime after the pass"
    calls 1 NPAddConnection3 '\\fileserver\共有' 85
    calls 1 NPAddConnection3 '\\fileserver\資料'
    echo "\"接続\": 共有 again (85: the run had connected it), 資料 before its wait was over"
    ;;

  provider-password-store)
    provider_setup
    config "$work/ConfFile.dat" '### DRIVLINK Config file' 'DoMapping	False' 'SmallStart	False' \
      'NoErrorDialog	True' 'ExitTime	0' \
      '# 1' 'NetPath	\\fileserver\共有' 'LocalDrive	Z:' 'UserName	taro' \
      "UserPasswd	$HIMITSU" 'WaitTime	0' 'MaxError	1'
    start -f ConfFile.dat
    open_settings
    click $((cx + 120 + 8)) $((cy + 274 + 10))  # "パスワードをシステムに保管"
    import -window "$dialog" "$out/windows-settings-dialog-password-store.png"
    click $((cx + 516 + 42)) $((cy + 272 + 12))  # "保存"
    dismiss "$(wait_window '^情報$' 10)"  # "上書きしてよろしいですか？"
    dismiss "$(wait_window '^情報$' 10)"  # "プログラムを再起動してください。"
    sleep 0.5
    click 366 32  # "×" of the main window
    wait_exit 10
    file=$work/ConfFile.dat
    LC_ALL=C grep -q $'^PasswordStore\tTrue\r$' "$file" || fail "the option is not in the file"
    LC_ALL=C grep -q $'^UserPasswd\t\r$' "$file" || fail "the file still holds a password"
    LC_ALL=C grep -q "$HIMITSU" "$file" && fail "the scrambled password is still in the file"
    echo "saved with the option: the password line is empty"
    # The log-in run on that file: the provider accepts only taro's own password.
    LC_ALL=C sed -i $'s/^DoMapping\tFalse/DoMapping\tTrue/' "$file"
    start -f ConfFile.dat
    wait_call NPAddConnection3 '\\fileserver\共有' 0 30
    wait_exit 15
    calls 1 NPAddConnection3 '\\fileserver\共有'
    [ "$(wnet get Z:)" = $'0\t\\\\fileserver\\共有' ] || fail "Z: does not name the share"
    echo "the run connected 共有 with the password from the Credential Manager"
    ;;

  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
