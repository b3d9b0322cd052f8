#!/usr/bin/env bash
# Writes the sample configuration (Shift-JIS, CR LF) that "make run" uses.
# The share does not exist: the run shows its retries and ends by itself.
set -euo pipefail
cd "$(dirname "$0")/../data"
printf '%s\r\n' \
  '### DRIVLINK Config file' \
  'DoMapping	True' \
  'SmallStart	False' \
  'NoErrorDialog	True' \
  'ExitTime	5' \
  '# 1' \
  'NetPath	\\localhost@4450\sample' \
  'LocalDrive	Z:' \
  'UserName	guest' \
  'UserPasswd	' \
  'WaitTime	1' \
  'MaxError	2' \
  '# 2' \
  'NetPath	\\fileserver\共有フォルダ' \
  'LocalDrive	Y:' \
  'UserName	' \
  'UserPasswd	' \
  'WaitTime	3' \
  'MaxError	1' | iconv -f UTF-8 -t CP932 > ConfFile.dat
