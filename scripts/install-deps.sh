#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the package and the
# program need, group by group with apt's own progress lines. Quiet and quick
# when everything is already there; safe to run again.
set -euo pipefail

names=()
lists=()
group() {
  names+=("$1")
  shift
  lists+=("$*")
}
group "build tools" build-essential cmake ninja-build pkg-config
group "Qt 6 and GLib" qt6-base-dev qt6-base-dev-tools libqt6widgets6 qt6-qpa-plugins \
  qt6-translations-l10n libgl-dev libglib2.0-dev
group "test, benchmark and fuzzing libraries" libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-dev clang-format
group "virtual display, fonts and screenshots" fonts-ipafont-gothic xvfb xauth imagemagick \
  xdotool desktop-file-utils
group "Samba server, GVfs and D-Bus" samba smbclient gvfs-backends gvfs-fuse dbus
# Passwords in the desktop's secret store: the Secret Service client library,
# and a real store for the tests.
group "secret store" libsecret-1-dev gnome-keyring
# The reconnect watcher's tests: a network namespace with a route to add and
# remove, and GIO's command line to lose a mount.
group "network namespace and GIO tools" util-linux iproute2 libglib2.0-bin
group "Debian package and its checks" dpkg-dev file lintian debootstrap
if [ "${KAYOIJI_WINDOWS:-0}" = 1 ]; then
  group "Windows cross build, Wine and the installer" g++-mingw-w64-x86-64 patch wine wine64 fonts-wine \
    locales nsis unzip python3
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for i in "${!names[@]}"; do
  for p in ${lists[$i]}; do installed "$p" || missing+=("$p"); done
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]}" >&2
  echo "run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# Others may be installing at the same moment: wait for apt's lock.
apt=(apt-get -q -o DPkg::Lock::Timeout=600)
echo "install-deps: ${#missing[@]} packages to install; reading the package lists"
"${apt[@]}" update
for i in "${!names[@]}"; do
  todo=()
  for p in ${lists[$i]}; do installed "$p" || todo+=("$p"); done
  [ ${#todo[@]} -eq 0 ] && continue
  echo "install-deps: [$((i + 1))/${#names[@]}] ${names[$i]}: ${todo[*]}"
  "${apt[@]}" install -y --no-install-recommends "${todo[@]}"
done
echo "install-deps: done"
