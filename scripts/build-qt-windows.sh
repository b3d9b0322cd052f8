#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base
# source package, with only what Kayoiji needs: Core, Gui, Widgets, the Windows
# platform plugin and the Windows styles.
#
# It is Qt 6.4.2 on every build machine, so that one set of options, one edit
# of the source and one licence list serve them all (and the program keeps
# its size). Its host tools (moc, rcc, uic) must be of the same version: on
# Debian 12 they are Debian's qt6-base-dev-tools, and the source is the one of
# their own Debian revision; elsewhere (Debian 13 has Qt 6.8) the tools are
# built first from Debian 12's source, into a folder of their own beside the
# libraries.
#
# The result goes into a cache folder outside the checkout, keyed by the Qt
# version and the options below, and is reused when present. The script prints
# that folder as its last line; `make windows` passes it to CMake. The long
# output of the configuration and the build goes to a log in the cache.
#
# Beside the libraries the folder keeps what the Windows packages must carry
# for Qt (kayoiji-notes/): the source's licence texts and attribution files,
# the configure summary and the exact configure command.
#
#   scripts/build-qt-windows.sh              build when missing, print the folder
#   scripts/build-qt-windows.sh --print      only print the folder (no build)
#   scripts/build-qt-windows.sh --print-host only print the host tools' prefix
#   QT_WINDOWS_JOBS=2                        parallel compile jobs (default 2)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64-x86_64.cmake
jobs=${QT_WINDOWS_JOBS:-2}

qt_version=6.4.2
# Debian 12's revision of that version, fetched when the host's tools are of
# another version.
pinned_source=6.4.2+dfsg-10

# The source version of the installed host tools, e.g. 6.4.2+dfsg-10.
host_source=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools 2>/dev/null || true)
case $host_source in
  "$qt_version"+* | "$qt_version"-*)
    source_version=$host_source
    build_host_tools=0
    ;;
  *)
    source_version=$pinned_source
    build_host_tools=1
    ;;
esac

# Everything the program does not use is left out, and what is built is
# built for size: every PC of an office starts Kayoiji.exe at each log-in.
# Qt's static build already compiles each function into a section of its
# own and the link drops the unused ones (its gc_binaries feature); -Os
# (optimize_size) comes on top. Link-time optimisation stays off: GCC 12
# for MinGW stops with an internal error on Qt's intermediate code (in
# binds_to_current_def_p, at symtab.cc, with -Os and -O2 alike), and its
# link-time plugin reads none of Qt's "big" COFF objects.
options=(
  -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_BUILD_TYPE=Release
  -DFEATURE_optimize_size=ON
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  # No OpenGL or Vulkan drawing; OpenGL off also needs dynamicgl off for the
  # Windows plugin to compile.
  -DINPUT_opengl=no
  -DFEATURE_opengl=OFF
  -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF
  # Debian's source lacks the tablet header wintab.h.
  -DFEATURE_tabletevent=OFF
  # Without Direct2D, Qt 6.4.2 leaves the DirectWrite font database out of
  # QtGui while the Windows plugin still refers to it: the plugin then uses
  # the GDI font database, its default. FreeType is then unused on Windows.
  -DFEATURE_direct2d=OFF
  -DFEATURE_directwrite3=OFF
  -DFEATURE_freetype=OFF
  # Modules the program does not link.
  -DFEATURE_network=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_testlib=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_sql_sqlite=OFF
  # Text: no ICU (the codec is the system's CP932), no document formats
  # beyond the plain and rich text of labels and boxes, no PDF painting.
  -DFEATURE_icu=OFF
  -DFEATURE_textodfwriter=OFF
  -DFEATURE_textmarkdownreader=OFF
  -DFEATURE_textmarkdownwriter=OFF
  -DFEATURE_pdf=OFF
  # Images: the window's picture is a BMP and the styles' icons are PNG and
  # XPM; no JPEG, GIF, animation, PPM or XBM is ever read.
  -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF
  -DFEATURE_movie=OFF
  -DFEATURE_imageformat_ppm=OFF
  -DFEATURE_imageformat_xbm=OFF
  # No window uses a tray icon (notices on Windows are the system's own),
  # undo stacks, or session management.
  -DFEATURE_systemtrayicon=OFF
  -DFEATURE_undocommand=OFF
  -DFEATURE_undostack=OFF
  -DFEATURE_undogroup=OFF
  -DFEATURE_undoview=OFF
  -DFEATURE_sessionmanager=OFF
  # Widgets no window has: the three windows use labels, buttons, check
  # boxes, line edits, a combo box, group boxes, a menu, message boxes and
  # the file dialog (whose own views stay).
  -DFEATURE_calendarwidget=OFF
  -DFEATURE_datetimeedit=OFF
  -DFEATURE_mdiarea=OFF
  -DFEATURE_toolbox=OFF
  -DFEATURE_wizard=OFF
  -DFEATURE_fontdialog=OFF
  -DFEATURE_colordialog=OFF
  -DFEATURE_lcdnumber=OFF
  -DFEATURE_dial=OFF
  -DFEATURE_keysequenceedit=OFF
  -DFEATURE_syntaxhighlighter=OFF
  -DFEATURE_columnview=OFF
  -DFEATURE_splashscreen=OFF
  # No window has docks, a graphics scene, or a widget scrolled by touch
  # gestures. (Main windows and tool bars stay: Qt 6.4's Widgets needs the
  # tool bar's header to compile.)
  -DFEATURE_dockwidget=OFF
  -DFEATURE_graphicsview=OFF
  -DFEATURE_gestures=OFF
  -DFEATURE_scroller=OFF
  # The Windows styles only: no style sheets (the password field's "*" comes
  # from a proxy style) and no Fusion, which is only chosen by name.
  -DFEATURE_style_stylesheet=OFF
  -DFEATURE_style_fusion=OFF
  # Nothing asks for a file's MIME type (its database alone is 0.4 MB and
  # GPL-licensed) or shows a date of the Hijri or Jalali calendars. (Regular
  # expressions stay: Qt 6.4's configuration requires PCRE2.)
  -DFEATURE_mimetype=OFF
  -DFEATURE_hijricalendar=OFF
  -DFEATURE_jalalicalendar=OFF
  # Painting is into 32-bit windows and images: no 16-bit-per-channel or
  # floating-point pixel formats.
  -DFEATURE_raster_64bit=OFF
  -DFEATURE_raster_fp=OFF
  # Every text of the windows is plain text in Japanese and Latin letters,
  # which map to glyphs one by one (kerning stays, from the font engine): no
  # HTML reading (no label or box shows any) and no OpenType shaping, which
  # only scripts such as Arabic or the Indic ones need (HarfBuzz is most of a
  # megabyte of the program).
  -DFEATURE_texthtmlparser=OFF
  -DINPUT_harfbuzz=no
  -DFEATURE_harfbuzz=OFF
)
# The host tools built here leave out Android's packaging tools, which a
# Windows build does not use; its configuration then must not ask for them.
# (Debian's tools have them, so Debian 12's options and key stay as they are.)
[ "$build_host_tools" = 0 ] || options+=(-DFEATURE_androiddeployqt=OFF)
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
# Two small edits of Qt's source (the patch says which and why); part of
# the key, and of the notes the packages carry.
source_patch=$here/scripts/qt-windows-streams.patch
key=$( { echo "$source_version"; echo "$compiler"; printf '%s\n' "${options[@]}"; cat "$source_patch"; } |
  sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kayoiji
prefix=$cache/qt-$qt_version-mingw-w64-static-$key

# The host tools, when they are built here: QtCore and the code generators
# only, as shared libraries for this machine.
host_options=(
  -DBUILD_SHARED_LIBS=ON
  -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_gui=OFF
  -DFEATURE_widgets=OFF
  -DFEATURE_network=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_testlib=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_opengl=OFF
  -DFEATURE_icu=OFF
  -DFEATURE_glib=OFF
  -DFEATURE_androiddeployqt=OFF
)
if [ "$build_host_tools" = 1 ]; then
  host_key=$( { echo "$source_version"; g++ --version | head -n 1; printf '%s\n' "${host_options[@]}"; } |
    sha256sum | cut -c1-12)
  host_prefix=$cache/qt-$qt_version-host-tools-$host_key
  host_cmake=$host_prefix/lib/cmake
else
  host_prefix=/usr
  host_cmake=/usr/lib/x86_64-linux-gnu/cmake
fi

case ${1:-} in
  --print) echo "$prefix"; exit 0 ;;
  --print-host) echo "$host_prefix"; exit 0 ;;
esac
log=$cache/qt-build-$key.log
notes=$prefix/kayoiji-notes

# Prepares a private apt configuration in $1 and unpacks Debian's qt6-base
# source there; sets srcdir. Its output goes to the log.
fetch_source() {
  local work=$1
  mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial" "$work/src"
  # A private apt configuration: the deb-src twins of the host's own sources
  # (one-line and deb822 files), its own lists and cache, so the system's
  # configuration and lists stay as they are.
  {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk '
        function flush() {
          if (types ~ /(^|[ \t])deb([ \t]|$)/ && uris != "")
            printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n%s\n", uris, suites, comps,
                   (signed != "" ? "Signed-By: " signed "\n" : "")
          types = uris = suites = comps = signed = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^[ \t]+/, "") }
        key == "Types" { types = $0 } key == "URIs" { uris = $0 } key == "Suites" { suites = $0 }
        key == "Components" { comps = $0 } key == "Signed-By" { signed = $0 }
        END { flush() }' "$f"
    done
  } >"$work/apt/sources.all"
  # The pinned source is Debian 12's: a Debian 13 machine's sources name only
  # trixie, but the same mirror keeps bookworm.
  if [ "$build_host_tools" = 1 ]; then
    local mirror
    mirror=$(grep -oE 'https?://[^ ]+/debian/?( |$)' "$work/apt/sources.all" | head -n 1 | tr -d ' ')
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
      "${mirror:-http://deb.debian.org/debian} bookworm main" >>"$work/apt/sources.all"
  fi
  # One-line entries and deb822 stanzas go to files of their own kinds.
  grep '^deb-src ' "$work/apt/sources.all" >"$work/apt/sources.list" || true
  mkdir -p "$work/apt/sources.list.d"
  grep -v '^deb-src ' "$work/apt/sources.all" >"$work/apt/sources.list.d/source.sources" || true

  local apt_options=(
    -o "Dir::Etc::SourceList=$work/apt/sources.list"
    -o "Dir::Etc::SourceParts=$work/apt/sources.list.d"
    -o "Dir::State::Lists=$work/apt/lists"
    -o "Dir::Cache=$work/apt"
    -o "Dir::Cache::Archives=$work/apt/archives"
    -o "APT::Sandbox::User=root"
    -o "Debug::NoLocking=true"
  )
  apt-get "${apt_options[@]}" -qq update >>"$log" 2>&1
  # The mirror may have moved on to a Debian revision of the same Qt version.
  (cd "$work/src" && { apt-get "${apt_options[@]}" -q source "qt6-base=$source_version" ||
    apt-get "${apt_options[@]}" -q source qt6-base; }) >>"$log" 2>&1
  srcdir=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
  [ -n "$srcdir" ] || { echo "build-qt-windows: no source tree after apt-get source" >&2; return 1; }
  case $srcdir in
    */qt6-base-"$qt_version"*) ;;
    *) echo "build-qt-windows: the mirror has $srcdir, not Qt $qt_version" >&2; return 1 ;;
  esac
}

# What the packages need of the Qt source and build, into $notes: the
# licence texts (LICENSES/, Debian's copyright, every qt_attribution.json
# and the licence files beside them, FreeType's own two), an index of the sources under
# src/3rdparty (which library an object file of the link comes from), the
# configure summary ($1) and the configure command.
keep_notes() {
  local summary=$1 version
  rm -rf "$notes"
  mkdir -p "$notes/source"
  (cd "$srcdir" && {
    find LICENSES -type f
    echo debian/copyright
    find src util -name qt_attribution.json
    find src util -type f \( -iname '*licen[cs]e*' -o -iname 'copying*' -o -name FTL.TXT -o -name GPLv2.TXT \) \
      -not -path '*/tests/*' -not -path '*/doc/*' -not -path 'src/tools/*' -not -name '*.png'
  } | sort -u | tar -cf - -T -) | tar -xf - -C "$notes/source"
  # Which sources hold code of which src/3rdparty folder: the folder's own,
  # and the modules' sources that include one of them (QCryptographicHash
  # includes the hash functions' sources, for example).
  (cd "$srcdir/src/3rdparty" &&
    find . -type f \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) |
    sed -n 's|^\./\([^/]*\)/\(.*/\)\{0,1\}\([^/]*\)$|\1\t\3|p' | sort -u) >"$notes/3rdparty-own.tsv"
  (cd "$srcdir/src" && grep -rHoE --include='*.c' --include='*.cc' --include='*.cpp' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^">]*\.(c|cc|cpp)[">]' \
    corelib gui widgets plugins || true) |
    awk -F'\t' 'NR == FNR { folder[$2] = $1; print; next }
      {
        n = split(substr($0, 1, index($0, ":") - 1), part, "/")
        if (match($0, /[^\/<"]+\.(c|cc|cpp)[">]$/)) {
          included = substr($0, RSTART, RLENGTH - 1)
          if (included in folder) print folder[included] "\t" part[n]
        }
      }' "$notes/3rdparty-own.tsv" - | sort -u >"$notes/3rdparty-sources.tsv"
  rm "$notes/3rdparty-own.tsv"
  cp "$summary" "$notes/config.summary"
  version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$srcdir/debian/changelog")
  {
    echo "Qt $qt_version for 64-bit Windows, static, built by Kayoiji's scripts/build-qt-windows.sh"
    echo "source: Debian's qt6-base source package $version with Debian's patches:"
    echo "  apt-get source qt6-base=$version"
    echo "  https://snapshot.debian.org/package/qt6-base/${version//+/%2B}/"
    echo "compiler: $compiler"
    echo "configure:"
    printf '  %s\n' "cmake -S qt6-base-source -B build -G Ninja" \
      "-DCMAKE_TOOLCHAIN_FILE=mingw-w64-x86_64.cmake" "-DCMAKE_INSTALL_PREFIX=<prefix>" \
      "-DQT_HOST_PATH=<host tools>" "${options[@]}"
    if [ "$build_host_tools" = 1 ]; then
      echo "host tools (moc, rcc, uic): built from the same source for the build machine:"
      printf '  %s\n' "cmake -S qt6-base-source -B host-build -G Ninja" "${host_options[@]}"
    else
      echo "host tools (moc, rcc, uic): Debian's qt6-base-dev-tools $host_source"
    fi
    echo "with this edit of the source, applied before the configuration (patch -p1):"
    sed 's/^/  /' "$source_patch"
    echo "toolchain file (mingw-w64-x86_64.cmake):"
    sed 's/^/  /' "$toolchain"
  } >"$notes/qt-build.txt"
  touch "$notes/.complete"
}

trap 'echo "build-qt-windows: failed; the end of $log:" >&2; tail -n 40 "$log" >&2' ERR
need_host=0
[ "$build_host_tools" = 0 ] || [ -f "$host_prefix/.complete" ] || need_host=1
need_windows=0
[ -f "$prefix/.complete" ] || need_windows=1
if [ $need_host = 0 ] && [ $need_windows = 0 ]; then
  echo "$prefix"
  exit 0
fi

# Runs ninja in the folder $1 with the label $2, its output into the log, and
# once a minute says how far it is. Ninja runs in the background, so that
# stopping this script (Ctrl-C from make) stops the build too: a background
# job ignores the terminal's interrupt, and an orphaned build would go on
# writing into a folder that the next run starts by removing.
run_ninja() {
  local folder=$1 label=$2 begin=$SECONDS ticks=0 step done_steps all_steps
  echo "build-qt-windows: building $label with $jobs jobs; the log: $log"
  ninja -C "$folder" -j "$jobs" >>"$log" 2>&1 &
  builder=$!
  trap 'kill "$builder" 2>/dev/null || true' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  while kill -0 "$builder" 2>/dev/null; do
    sleep 5
    ticks=$((ticks + 1))
    [ $((ticks % 12)) -eq 0 ] || continue
    step=$(grep -o '^\[[0-9]*/[0-9]*\]' "$log" | tail -n 1 | tr -d '[]' || true)
    if [ -n "$step" ]; then
      done_steps=${step%/*} all_steps=${step#*/}
      echo "build-qt-windows: $label: $done_steps of $all_steps steps" \
        "($((100 * done_steps / all_steps)) %) after $(((SECONDS - begin) / 60)) min"
    else
      echo "build-qt-windows: $label: starting, after $(((SECONDS - begin) / 60)) min"
    fi
  done
  wait "$builder"
  trap - EXIT INT TERM
}

start=$SECONDS
work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work"
: >"$log"

echo "build-qt-windows: fetching qt6-base $source_version (log: $log)"
fetch_source "$work"

if [ $need_host = 1 ]; then
  echo "build-qt-windows: the host has Qt ${host_source:-none}; building Qt $qt_version's tools into $host_prefix"
  cmake -S "$srcdir" -B "$work/host-build" -G Ninja -DCMAKE_INSTALL_PREFIX="$host_prefix" \
    "${host_options[@]}" >>"$log" 2>&1
  run_ninja "$work/host-build" "the host tools"
  rm -rf "$host_prefix"
  cmake --install "$work/host-build" >>"$log" 2>&1
  touch "$host_prefix/.complete"
  rm -rf "$work/host-build"
fi

if [ $need_windows = 1 ]; then
  patch -d "$srcdir" -p1 --quiet --forward <"$source_patch" >>"$log"

  echo "build-qt-windows: configuring into $prefix"
  cmake -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH="$host_prefix" \
    -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
    "${options[@]}" >>"$log" 2>&1

  run_ninja "$work/build" "Qt for Windows"
  rm -rf "$prefix"
  cmake --install "$work/build" >>"$log" 2>&1
  keep_notes "$work/build/config.summary"
  touch "$prefix/.complete"
fi
rm -rf "$work"
echo "build-qt-windows: done in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s"
echo "$prefix"
