# Sourced by the Wine tests: main_window_shown waits up to 30 s for the
# program's main window (" Kayoiji") on the X screen; false if none comes.
main_window_shown() {
  local i
  for ((i = 0; i < 300; i++)); do
    # X reads the titles as UTF-8 whatever the test's own locale.
    LC_ALL=C.UTF-8 xdotool search --onlyvisible --name '^ Kayoiji$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
