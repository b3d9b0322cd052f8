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
# Screenshots go to OUT (the README's are copied from there).
# usage: program.sh CASE WINE KAYOIJI.EXE WINDOW-PROBE.EXE SOURCE-DIR OUT
# The prepared prefix and the Japanese locale come in the environment.
set -euo pipefail
if [ -z "${KAYOIJI_ON_XVFB:-}" ]; then
  for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
  exec env KAYOIJI_ON_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24 -wr' "$0" "$@"
fi
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

  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
