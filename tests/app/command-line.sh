#!/usr/bin/env bash
# --help and --version answer on standard output with status 0 and without a
# display; after "-f" the same word is a file name again.
set -euo pipefail
program=${1:?program}
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

out=$("$program" --help)
grep -q '^使い方: kayoiji \[-f 設定ファイル\]$' <<<"$out"
grep -q '^Usage: kayoiji \[-f CONFIG_FILE\]$' <<<"$out"
[ "$("$program" --version)" = "Kayoiji $2" ]

# The toolkit would need a display here: the program must try to start.
if "$program" -f --help >/dev/null 2>&1; then
  echo "-f --help did not start the program"
  exit 1
fi
echo "command line: passed"
