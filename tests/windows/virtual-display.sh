# Sourced by the Wine tests that draw windows: on_virtual_display starts the
# sourcing script again on a virtual X screen of its own, with xvfb-run's
# SCREEN options, and returns at once when it already runs on one. It skips
# the test (77) when xvfb-run or one of the TOOLs the test needs is missing.
# usage: on_virtual_display SCREEN [TOOL...] -- "$@"
on_virtual_display() {
  [ -z "${KAYOIJI_ON_XVFB:-}" ] || return 0
  local screen=$1 tool tools=(xvfb-run)
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    tools+=("$1")
    shift
  done
  [ $# -eq 0 ] || shift
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
  exec env KAYOIJI_ON_XVFB=1 xvfb-run -a -s "$screen" "$0" "$@"
}
