#!/bin/sh
# The launcher of Kayoiji.exe's link: keeps the exact command (its folder,
# then each argument, NUL-separated) for the relinking archive, then runs it.
# usage: record-link.sh RECORD COMMAND...
record=$1
shift
printf '%s\0' "$PWD" "$@" >"$record.tmp" && mv "$record.tmp" "$record" || exit 1
exec "$@"
