#!/usr/bin/env bash
# Makes Wine report each Windows version in turn to the version test program
# (a per-program setting of the prefix) and runs it with what to expect:
# platform, major version, and whether Shift is held (NT with major 5 only).
# usage: os-version.sh <wine loader> <win32_version_tests.exe>
set -euo pipefail
wine=$1 exe=$2
key="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$exe")"
trap '"$wine" reg delete "$key" /f >/dev/null 2>&1 || true' EXIT

# version platform major hold
cases=(
  "win2k 2 5 1" "winxp 2 5 1" "winxp64 2 5 1" "win2003 2 5 1"
  "nt40 2 4 0" "vista 2 6 0" "win7 2 6 0" "win10 2 6 0"
  "win98 1 4 0"
)
for c in "${cases[@]}"; do
  read -r version platform major hold <<<"$c"
  "$wine" reg add "$key" /v Version /d "$version" /f >/dev/null
  out=$(KAYOIJI_EXPECT_PLATFORM=$platform KAYOIJI_EXPECT_MAJOR=$major KAYOIJI_EXPECT_HOLD=$hold \
    "$wine" "$exe" 2>&1) || { echo "$out"; exit 1; }
  # A skipped test would pass silently: the expectation must have arrived.
  grep -q '\[  PASSED  \] 1 test' <<<"$out" || { echo "$out"; exit 1; }
  echo "$version: platform $platform, major $major, hold Shift $hold"
done
