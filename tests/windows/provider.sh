#!/usr/bin/env bash
# The test network provider (TestProvider.cpp) in a Wine prefix, for any
# Windows test that needs a network which answers like a file server.
#
# Sourced, with WINEPREFIX set to a prefix that wine-prefix.sh prepared:
#   provider_install WINE DLL   registers the provider with Wine's router
#                               (once) and copies the DLL; the prefix loses
#                               its Z: drive (Wine's view of /), so that Z:
#                               is free as on an office PC
#   provider_table LINE...      the provider's table (see TestProvider.cpp),
#                               and each share's folder linked where Wine
#                               looks for \\server\share
#   provider_reset              no drive of the provider's left, no calls logged
#   provider_calls [FUNCTION]   the calls logged so far
#   provider_count FUNCTION NAME [RESULT]   how many such calls were logged
# Run:
#   provider.sh with-share WORK COMMAND...
#       runs COMMAND with KAYOIJI_PROVIDER_SHARE_DIR set to a folder holding
#       hello.txt: the GVfs mount of a real Samba server where the machine
#       can run tests/integration/smb-fixture.sh (KAYOIJI_PROVIDER_SHARE_FROM
#       "samba"), else a plain folder below WORK ("folder").

provider_folder() { echo "$WINEPREFIX/drive_c/kayoiji-provider"; }

provider_install() {
  local wine=$1 dll=$2 folder
  folder=$(provider_folder)
  mkdir -p "$folder"
  cp "$dll" "$folder/kayoiji_test_provider.dll"
  [ -f "$folder/.registered" ] && return 0
  local key='HKLM\System\CurrentControlSet\Services\KayoijiTest\NetworkProvider'
  "$wine" reg add "$key" /v ProviderPath /d 'C:\kayoiji-provider\kayoiji_test_provider.dll' /f >/dev/null
  "$wine" reg add "$key" /v Name /d 'Kayoiji Test Network' /f >/dev/null
  "$wine" reg add "$key" /v Class /t REG_DWORD /d 1 /f >/dev/null
  "$wine" reg add 'HKLM\System\CurrentControlSet\Control\NetworkProvider\Order' \
    /v ProviderOrder /d KayoijiTest /f >/dev/null
  provider_server "$wine" -w
  rm -f "$WINEPREFIX/dosdevices/z:"
  touch "$folder/.registered"
}

provider_server() {
  local wine=$1 server
  shift
  server=$(dirname "$wine")/wineserver
  [ -x "$server" ] || server=wineserver
  "$server" "$@"
}

provider_table() {
  local folder line kind remote dir rest server
  folder=$(provider_folder)
  rm -rf "$WINEPREFIX/dosdevices/unc"
  : >"$folder/table.txt"
  for line in "$@"; do
    printf '%s\n' "$line" >>"$folder/table.txt"
    IFS=$'\t' read -r kind remote dir rest <<<"$line"
    [ "$kind" = share ] || continue
    remote=${remote#\\\\}
    server=${remote%%\\*}
    mkdir -p "$WINEPREFIX/dosdevices/unc/$server"
    ln -sfn "$dir" "$WINEPREFIX/dosdevices/unc/$server/${remote#*\\}"
  done
}

# Between cases no Wine process of the prefix runs, so the drives are
# removed as links; the mount manager reads them afresh at the next start.
provider_reset() {
  local folder letter rest
  folder=$(provider_folder)
  if [ -f "$folder/connections.txt" ]; then
    while IFS=$'\t' read -r letter rest; do
      [ -n "$letter" ] && rm -f "$WINEPREFIX/dosdevices/${letter,,}"
    done <"$folder/connections.txt"
  fi
  : >"$folder/connections.txt"
  : >"$folder/calls.log"
}

provider_calls() {
  local log
  log=$(provider_folder)/calls.log
  if [ -n "${1:-}" ]; then
    grep "^$1"$'\t' "$log" || true
  else
    cat "$log"
  fi
}

provider_count() {
  # Through the environment: awk would read the backslashes of -v values as escapes.
  F=$1 N=$2 R=${3:-} awk -F '\t' \
    '$1 == ENVIRON["F"] && tolower($2) == tolower(ENVIRON["N"]) && (ENVIRON["R"] == "" || $5 == ENVIRON["R"]) { c++ }
     END { print c + 0 }' "$(provider_folder)/calls.log"
}

# The folder of the share that the fixture's Samba server serves, mounted
# through GVfs inside the fixture's own D-Bus session.
provider_in_share() {
  local marker=$1 uri=$KAYOIJI_TEST_SMB_URI folder="" i status=0
  shift
  touch "$marker"
  echo "hello from the Samba server ($(smbd -V))" >"$KAYOIJI_TEST_SMB_DIR/hello.txt"
  chmod 644 "$KAYOIJI_TEST_SMB_DIR/hello.txt"
  local said
  said=$(printf '%s\n%s\n%s\n' "$KAYOIJI_TEST_SMB_USER" WORKGROUP "$KAYOIJI_TEST_SMB_PASSWORD" |
    gio mount "$uri" 2>&1) || { echo "gio mount $uri failed: $said" >&2; return 1; }
  for ((i = 0; i < 100; i++)); do
    folder=$(ls -d "$XDG_RUNTIME_DIR"/gvfs/smb-share:*share=data* 2>/dev/null | head -n 1 || true)
    [ -n "$folder" ] && [ -f "$folder/hello.txt" ] && break
    sleep 0.1
  done
  [ -n "$folder" ] || { echo "no GVfs folder for $uri" >&2; return 1; }
  echo "share: $uri mounted by GVfs at $folder"
  KAYOIJI_PROVIDER_SHARE_DIR=$folder KAYOIJI_PROVIDER_SHARE_FROM=samba "$@" || status=$?
  gio mount -u "$uri" 2>/dev/null || true
  return "$status"
}

provider_with_share() {
  local work=$1 marker status=0
  shift
  marker=$work/provider-share-started
  mkdir -p "$work"
  rm -f "$marker"
  bash "$(dirname "${BASH_SOURCE[0]}")/../integration/smb-fixture.sh" "$work" \
    bash "${BASH_SOURCE[0]}" in-share "$marker" "$@" || status=$?
  [ "$status" -eq 77 ] && [ ! -e "$marker" ] || return "$status"
  local folder=$work/provider-share
  rm -rf "$folder"
  mkdir -p "$folder"
  echo "hello from a plain folder" >"$folder/hello.txt"
  echo "share: a plain folder, $folder"
  KAYOIJI_PROVIDER_SHARE_DIR=$folder KAYOIJI_PROVIDER_SHARE_FROM=folder "$@"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  command=${1:-}
  shift || true
  case $command in
    with-share) provider_with_share "$@" ;;
    in-share) provider_in_share "$@" ;;
    *)
      echo "usage: provider.sh with-share WORK COMMAND..." >&2
      exit 2
      ;;
  esac
fi
