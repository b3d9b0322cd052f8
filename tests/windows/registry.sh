#!/usr/bin/env bash
# Runs the registry tests in stages, preparing the prefix's registry with
# `reg add` before each: the browser's key missing; link settings stored;
# web-page and mail programs registered (the test program itself, which
# records its arguments) and the shell's own handling of web addresses
# removed, so that a link goes the registry's way. The prefix is the tests'
# own; nothing else in it relies on what this changes.
# usage: registry.sh <wine loader> <win32_registry_tests.exe> <work folder>
set -euo pipefail
wine=$1 exe=$2 work=$3
reg() { "$wine" reg "$@" >/dev/null; }
stage() {
  echo "== $1"
  out=$("$wine" "$exe" --gtest_filter="$2" --gtest_brief=1 2>&1) || { echo "$out"; exit 1; }
  echo "$out"
  # Tests that skipped because the set-up did not reach them prove nothing.
  if grep -q '\[  PASSED  \] 0 tests' <<<"$out"; then exit 1; fi
}

mkdir -p "$work"
export KAYOIJI_REGISTRY_SETUP=1
KAYOIJI_LINK_RECORD=$("$wine" winepath -w "$work/link-record.txt")
export KAYOIJI_LINK_RECORD
program=$("$wine" winepath -w "$exe")

browser='HKCU\Software\Microsoft\Internet Explorer'
reg delete "$browser" /f 2>/dev/null || true
stage "no browser settings" 'LinkColours.DefaultsWhenNothingIsStored'

reg add "$browser\\Settings" /v "Anchor Color" /d "12,34,56" /f
reg add "$browser\\Settings" /v "Anchor Color Hover" /d "255,128,0" /f
reg add "$browser\\Settings" /v "Anchor Color Visited" /t REG_DWORD /d 7 /f
reg add "$browser\\Settings" /v "Use Anchor Hover Color" /d "yes" /f
stage "stored link settings" 'LinkColours.Stored*'

reg add 'HKCR\.htm' /ve /d Kayoiji.TestPage /f
reg add 'HKCR\Kayoiji.TestPage\shell\open\command' /ve \
  /d "\"$program\" --record \"$KAYOIJI_LINK_RECORD\" page \"%1\"" /f
reg add 'HKCR\mailto\shell\open\command' /ve \
  /d "\"$program\" --record \"$KAYOIJI_LINK_RECORD\" mail %1" /f
reg add 'HKCR\Kayoiji.LongCommand' /ve /d "C:\\$(printf 'x%.0s' {1..300}).exe \"%1\"" /f
reg add 'HKCR\Kayoiji.Japanese' /ve /d "表示ソフト" /f
reg delete 'HKCR\http' /f 2>/dev/null || true
stage "registered programs" 'ClassesRoot.*:OpenLink.*'
