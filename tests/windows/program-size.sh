#!/usr/bin/env bash
# Kayoiji.exe as the packages ship it (stripped) stays within its budget:
# every PC of an office loads it at each log-in.
# usage: program-size.sh STRIP KAYOIJI.EXE LIMIT-BYTES
set -euo pipefail
strip=$1 exe=$2 limit=$3
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip" -o "$stripped" "$exe"
size=$(stat -c %s "$stripped")
echo "Kayoiji.exe: $(stat -c %s "$exe") bytes as built, $size stripped (limit $limit)"
[ "$size" -le "$limit" ] || { echo "FAILED: over the limit by $((size - limit)) bytes" >&2; exit 1; }
