#!/usr/bin/env bash
# kayoiji-autostart makes a user's missing configuration from the
# administrator's file in $XDG_CONFIG_DIRS (the first folder that has one)
# before the package's sample, as the user's own private copy, and never
# replaces a configuration the user has.
set -euo pipefail
autostart=$(realpath "$1")
s=$(mktemp -d)
trap 'rm -rf "$s"' EXIT
cd "$s"

mkdir -p empty site/kayoiji vendor/kayoiji rel/kayoiji
printf 'DoMapping\tTrue\r\n' > "$s/site/kayoiji/ConfFile.dat"
printf 'ExitTime\t9\r\n' > "$s/vendor/kayoiji/ConfFile.dat"
printf '# sample\r\n' > "$s/sample"
printf 'ExitTime\t1\r\n' > rel/kayoiji/ConfFile.dat  # relative: not a folder that counts
chmod 644 "$s/site/kayoiji/ConfFile.dat"

fail() { echo "FAILED: $*"; exit 1; }
enable() {
  HOME="$s/home" XDG_CONFIG_HOME="$s/config" KAYOIJI_SAMPLE="$s/sample" "$@" \
    sh "$autostart" enable >/dev/null
}
config="$s/config/kayoiji/ConfFile.dat"

enable env XDG_CONFIG_DIRS="rel:$s/empty:$s/site:$s/vendor"
cmp -s "$config" "$s/site/kayoiji/ConfFile.dat" || fail "not the first administrator's file"
[ "$(stat -c %a "$config")" = 600 ] || fail "the copy is not private"
ls "$s/config/kayoiji" | grep -qv '^ConfFile.dat$' && fail "a temporary file was left"

printf 'NoErrorDialog\tTrue\r\n' > "$config"
enable env XDG_CONFIG_DIRS="$s/vendor"
grep -q NoErrorDialog "$config" || fail "the user's own configuration was replaced"

rm "$config"
enable env XDG_CONFIG_DIRS="$s/empty"
cmp -s "$config" "$s/sample" || fail "without an administrator's file, not the sample"
# The reconnect watcher's entry beside the program's, on the same configuration.
run() { HOME="$s/home" XDG_CONFIG_HOME="$s/config" sh "$autostart" "$@"; }
watcher_entry="$s/config/autostart/kayoiji-reconnect.desktop"
run enable --reconnect >/dev/null
grep -qxF "Exec=\"$(dirname "$autostart")/kayoiji-reconnect\" -f \"$config\"" "$watcher_entry" ||
  fail "the watcher's entry does not start it on the configuration"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$watcher_entry" || fail "the watcher's entry is not a valid desktop entry"
fi
# status is read whole first: grep -q stops at its match, and the pipe closing
# under the status's later lines would fail the pipeline at random.
status() { run status || true; }
grep -qx "reconnect enabled: $watcher_entry" <<<"$(status)" || fail "status does not name the watcher"
# A misspelt option changes nothing and says how it goes.
rm -f "$watcher_entry"
run enable --reconect >/dev/null 2>&1 && fail "enable --reconect was taken"
[ -e "$watcher_entry" ] && fail "enable --reconect enabled the watcher"
run enable --reconnect >/dev/null
run disable --reconnect >/dev/null
[ -e "$watcher_entry" ] && fail "disable --reconnect left the watcher's entry"
grep -q '^enabled: ' <<<"$(status)" || fail "disable --reconnect removed the program's entry"
run enable --reconnect >/dev/null
run disable >/dev/null
[ -e "$watcher_entry" ] || [ -e "$s/config/autostart/kayoiji.desktop" ] && fail "disable left an entry"
grep -qx 'reconnect disabled' <<<"$(status)" || fail "status does not say the watcher is off"
echo "autostart configuration: passed"
