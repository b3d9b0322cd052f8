#!/usr/bin/env bash
# Starts the program on a configuration with automatic connection on, no
# entries and no exit delay: it must end by itself with status 0.
set -u
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'DoMapping\tTrue\r\nExitTime\t0\r\n' > "$dir/conf.dat"
start=$(date +%s%N)
timeout 20 "$program" -f "$dir/conf.dat"
status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "exit status $status after ${elapsed} ms"
[ "$status" -eq 0 ] || exit 1
[ "$elapsed" -ge 900 ] || { echo "ended before the first tick"; exit 1; }
