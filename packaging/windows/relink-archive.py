#!/usr/bin/env python3
"""The relinking archive of Kayoiji.exe: what a user needs to link the
program again against a modified Qt, as the LGPL asks of a static link.

  relink-archive.py RECORD QT-PREFIX QT-NOTES OUT-ZIP

RECORD is the link command that record-link.sh kept (its folder, then the
arguments). The archive holds every object file and static library of the
program's own that the command names, at the same relative paths, the
command itself as relink.sh (Qt's folder and the compiler as variables),
and the Qt version, configure options and configure summary.
"""
import os
import shlex
import sys
import zipfile

README = """Kayoiji.exe: linking it again against another Qt
==================================================

Kayoiji.exe links Qt {qt_version} statically. Qt is used under the GNU
Lesser General Public License version 3, which lets you link the program
against a modified Qt. This archive holds what that takes:

  obj/         the program's own object files and static libraries, as
               the build left them (the paths below obj/ are those of the
               build folder)
  relink.sh    the exact link command of Kayoiji.exe
  qt-build.txt the Qt version, its source, the edit of that source and the
               configure options
  config.summary  Qt's configure summary of that build

To relink:

  1. Build your Qt from the same version's source, edited and configured as
     qt-build.txt says (a static Qt for 64-bit Windows, MinGW-w64's GCC with the
     POSIX thread model), changed as you like, and install it into a folder.
  2. In this folder, with MinGW-w64's GCC on PATH:

       QT=/path/to/your/qt sh relink.sh

     CXX names the compiler driver if it is not
     x86_64-w64-mingw32-g++-posix. The result is Kayoiji.exe in this folder;
     put it in place of the installed one.

The Qt classes Kayoiji uses are those of Qt Core, Qt Gui and Qt Widgets; a
modified Qt must keep their binary interface for the objects here to link.
"""


def escape(text):
    """Text inside double quotes of a POSIX shell."""
    for c in '\\"`$':
        text = text.replace(c, "\\" + c)
    return text


def main(record, qt_prefix, qt_notes, out_zip):
    with open(record, "rb") as f:
        fields = f.read().decode("utf-8").split("\0")
    if fields and fields[-1] == "":
        fields.pop()
    cwd, compiler, args = fields[0], fields[1], fields[2:]
    # The prefix as CMake spelt it, and without symbolic links.
    prefixes = sorted({qt_prefix.rstrip("/"), os.path.realpath(qt_prefix)}, key=len, reverse=True)
    build = os.path.realpath(cwd)

    expanded = []
    for arg in args:
        if arg.startswith("@"):
            with open(os.path.join(cwd, arg[1:]), encoding="utf-8") as f:
                expanded += shlex.split(f.read())
        else:
            expanded.append(arg)

    files = {}  # path in the archive -> path on disk

    def local(path):
        """A file of the build as obj/<path relative to the build>."""
        full = os.path.realpath(os.path.join(cwd, path))
        if not full.startswith(build + os.sep) or not os.path.isfile(full):
            return None
        inside = "obj/" + os.path.relpath(full, build)
        files[inside] = full
        return inside

    words = []
    output_next = False
    for arg in expanded:
        if output_next:
            words.append("Kayoiji.exe")
            output_next = False
            continue
        if arg == "-o":
            words.append(arg)
            output_next = True
            continue
        # The link's other outputs, beside the program.
        if arg.startswith("-Wl,-Map="):
            words.append("-Wl,-Map=Kayoiji.map")
            continue
        if arg.startswith("-Wl,--out-implib,"):
            words.append("-Wl,--out-implib," + os.path.basename(arg.split(",", 2)[2]))
            continue
        inside = None if arg.startswith("-") else local(arg)
        if inside:
            words.append(shlex.quote(inside))
        elif any(p in arg for p in prefixes):
            prefix = next(p for p in prefixes if p in arg)
            words.append('"' + "$QT".join(escape(part) for part in arg.split(prefix)) + '"')
        elif os.path.isabs(arg) and os.path.realpath(arg).startswith(build + os.sep):
            raise SystemExit(f"relink-archive: {arg} of the build is not a file to carry")
        else:
            words.append(shlex.quote(arg))

    script = "\n".join([
        "#!/bin/sh",
        "# Links Kayoiji.exe again from obj/ against the static Qt for Windows in",
        "# $QT; the command is that of the build (see README.txt).",
        "set -e",
        ': "${QT:?QT must name the Qt for Windows to link against}"',
        "CXX=${CXX:-" + os.path.basename(compiler) + "}",
        'cd "$(dirname "$0")"',
        '"$CXX" \\',
        "  " + " \\\n  ".join(words),
        "",
    ])

    with open(os.path.join(qt_notes, "qt-build.txt"), encoding="utf-8") as f:
        qt_version = f.readline().split()[1]
    top = os.path.splitext(os.path.basename(out_zip))[0] + "/"
    with zipfile.ZipFile(out_zip + ".tmp", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(top + "README.txt", README.format(qt_version=qt_version))
        info = zipfile.ZipInfo(top + "relink.sh")
        info.external_attr = 0o755 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, script)
        z.write(os.path.join(qt_notes, "qt-build.txt"), top + "qt-build.txt")
        z.write(os.path.join(qt_notes, "config.summary"), top + "config.summary")
        for inside, full in sorted(files.items()):
            z.write(full, top + inside)
    os.replace(out_zip + ".tmp", out_zip)
    print(f"relink-archive: {out_zip}: {len(files)} files of the program")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
