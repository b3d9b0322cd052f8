#!/usr/bin/env python3
"""The licence notices of the Windows program, from the component list
beside the Qt build script (scripts/windows-components.ini).

  windows-licenses.py write   LIST QT-NOTES OUT-DIR NOTICE-FILE
      one file per component and an index (README.txt) into OUT-DIR, the
      same texts in one file for the installer's page (UTF-8 with a byte
      order mark, CR LF, as Windows' own text controls read them)
  windows-licenses.py check   LIST QT-NOTES LINK-MAP BUILD-DIR
      the list against what the link of Kayoiji.exe used (GNU ld's map):
      every component listed was linked, every library and object of the
      link outside the build is claimed by a component, and for every object
      compiled from a source under Qt's src/3rdparty a component carries
      that folder's notices
  windows-licenses.py folder  LIST DIR
      DIR holds the index and every component's file

QT-NOTES is the kayoiji-notes folder of the Qt build (build-qt-windows.sh).
"""
import configparser
import fnmatch
import json
import os
import re
import sys

BOM = "\ufeff"


def read_list(path):
    parser = configparser.ConfigParser(interpolation=None)
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    components = []
    for section in parser.sections():
        entry = parser[section]
        components.append({
            "id": section,
            "name": entry["name"].strip(),
            "licence": entry["licence"].strip(),
            "linked": entry["linked"].split(),
            "notices": entry["notices"].split(),
        })
    return components


def attribution(qt_notes, reference):
    """attr:<folder>#<Id>: the entry of <folder>/qt_attribution.json."""
    folder, _, wanted = reference[len("attr:"):].partition("#")
    path = os.path.join(qt_notes, "source", folder, "qt_attribution.json")
    with open(path, encoding="utf-8") as f:
        # Qt's files hold line breaks inside strings and repeated keys (the
        # last one counts, as for Qt's own tools).
        entries = json.loads(f.read(), strict=False)
    for entry in entries if isinstance(entries, list) else [entries]:
        if entry.get("Id") == wanted:
            return folder, entry
    raise SystemExit(f"{path}: no entry {wanted}")


def read_text(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read().replace("\r\n", "\n")


def notice_texts(qt_notes, reference):
    """The texts one notice reference stands for."""
    if reference.startswith("attr:"):
        folder, entry = attribution(qt_notes, reference)
        head = [entry.get("Name", "")]
        for key, label in (("Version", "Version"), ("Homepage", "Homepage"),
                           ("License", "License"), ("Copyright", "Copyright")):
            if entry.get(key):
                head.append(f"{label}: {entry[key].strip()}")
        texts = ["\n".join(head) + "\n"]
        files = entry.get("LicenseFiles") or ([entry["LicenseFile"]] if entry.get("LicenseFile") else [])
        for name in files:
            texts.append(read_text(os.path.join(qt_notes, "source", folder, name)))
        return texts
    if reference.startswith("qt:"):
        return [read_text(os.path.join(qt_notes, "source", reference[len("qt:"):]))]
    if reference.startswith("notes:"):
        return [read_text(os.path.join(qt_notes, reference[len("notes:"):]))]
    if reference.startswith("file:"):
        return [read_text(reference[len("file:"):])]
    raise SystemExit(f"unknown notice reference {reference}")


def windows_text(text):
    return BOM + text.replace("\r\n", "\n").replace("\n", "\r\n")


def index_text(components):
    lines = [
        "Kayoiji.exe に含まれるソフトウェアとそのライセンス",
        "The software compiled into Kayoiji.exe and its licences",
        "",
        "Kayoiji.exe is linked statically with the components below; this",
        "folder holds one file of notices for each:",
        "",
    ]
    for c in components:
        lines += [f"{c['id']}.txt", f"  {c['name']}", f"  {c['licence']}"]
    lines += [
        "",
        "Qt is used under the GNU Lesser General Public License version 3. To",
        "relink Kayoiji.exe with a modified Qt, use Kayoiji-<version>-win64-relink.zip,",
        "published beside the installer: the program's object files and libraries,",
        "its link command, and the Qt version and configure options used (also in",
        "qt-build.txt here).",
        "",
    ]
    return "\n".join(lines)


def write(list_path, qt_notes, out_dir, notice_file):
    components = read_list(list_path)
    os.makedirs(out_dir, exist_ok=True)
    for name in os.listdir(out_dir):
        os.remove(os.path.join(out_dir, name))
    index = index_text(components)
    combined = [index]
    for c in components:
        parts = [f"{c['name']}\nLicense: {c['licence']}\n"]
        for reference in c["notices"]:
            parts += notice_texts(qt_notes, reference)
        text = ("\n" + "-" * 72 + "\n\n").join(part.rstrip("\n") + "\n" for part in parts)
        with open(os.path.join(out_dir, c["id"] + ".txt"), "w", encoding="utf-8", newline="") as f:
            f.write(windows_text(text))
        combined.append("=" * 72 + "\n" + f"{c['id']}.txt\n" + "=" * 72 + "\n\n" + text)
    with open(os.path.join(out_dir, "README.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(windows_text(index))
    with open(os.path.join(out_dir, "qt-build.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(windows_text(read_text(os.path.join(qt_notes, "qt-build.txt"))))
    with open(notice_file, "w", encoding="utf-8", newline="") as f:
        f.write(windows_text("\n".join(combined)))


def link_inputs(map_path):
    """(archive members used, plain objects loaded) of a GNU ld map."""
    members = set()
    objects = set()
    member_line = re.compile(r"^(\S.*\.a)\((.+)\)$")
    in_members = False
    with open(map_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Archive member included"):
                in_members = True
                continue
            if in_members and line and not line[0].isspace():
                m = member_line.match(line)
                if m:
                    members.add((os.path.normpath(m.group(1)), m.group(2)))
                elif not line.startswith("Archive member"):
                    in_members = False
            if line.startswith("LOAD "):
                path = line[len("LOAD "):].strip()
                # "LOAD dll stuff" and the like are the linker's own.
                if not path.endswith(".a") and "/" in path:
                    objects.add(os.path.normpath(path))
    return members, objects


def matches(token, archive, member=None):
    """A token names an archive or object (a path when it holds a slash,
    else a file name; shell patterns allowed), optionally one member:
    libQt6Gui.a(qregion.cpp.obj)."""
    name, _, wanted = token.partition("(")
    wanted = wanted.rstrip(")")
    subject = archive if "/" in name else os.path.basename(archive)
    if not fnmatch.fnmatchcase(subject, name):
        return False
    if wanted:
        return member is not None and fnmatch.fnmatchcase(member, wanted)
    return True


def third_party_sources(qt_notes):
    index = {}
    with open(os.path.join(qt_notes, "3rdparty-sources.tsv"), encoding="utf-8") as f:
        for line in f:
            folder, _, name = line.rstrip("\n").partition("\t")
            index.setdefault(name, set()).add(folder)
    return index


def check(list_path, qt_notes, map_path, build_dir):
    components = read_list(list_path)
    members, objects = link_inputs(map_path)
    build_dir = os.path.realpath(build_dir)

    def ours(path):
        return not os.path.isabs(path) or os.path.realpath(path).startswith(build_dir + os.sep)

    problems = []
    inputs = [(a, m) for a, m in members] + [(o, None) for o in objects]
    for c in components:
        if not any(matches(t, a, m) for t in c["linked"] for a, m in inputs):
            problems.append(f"{c['id']}: listed, but the link used none of {' '.join(c['linked'])}")
    for archive in sorted({a for a, _ in inputs if not ours(a)}):
        if not any(matches(t, archive) for c in components for t in c["linked"] if "(" not in t):
            problems.append(f"{archive}: linked, but no component claims it")
    sources = third_party_sources(qt_notes)
    uncovered = {}
    for archive, member in sorted(members):
        base = re.sub(r"\.(obj|o)$", "", member)
        for folder in sorted(sources.get(base, ())):
            if not any(n.startswith(f"attr:src/3rdparty/{folder}#") or
                       n.startswith(f"qt:src/3rdparty/{folder}/")
                       for c in components for n in c["notices"]):
                uncovered.setdefault(folder, []).append(f"{os.path.basename(archive)}({member})")
    for folder, found in sorted(uncovered.items()):
        problems.append(f"Qt's src/3rdparty/{folder} is compiled into {len(found)} object(s) of "
                        f"the link ({', '.join(found[:3])}{', ...' if len(found) > 3 else ''}), "
                        "but no component's notices cover it")
    for p in problems:
        print("windows-licenses:", p, file=sys.stderr)
    print(f"windows-licenses: {len(components)} components, {len(members)} archive members and "
          f"{len(objects)} objects of the link checked")
    return 1 if problems else 0


def folder(list_path, directory):
    missing = [name for name in ["README.txt"] + [c["id"] + ".txt" for c in read_list(list_path)]
               if not os.path.isfile(os.path.join(directory, name))
               or os.path.getsize(os.path.join(directory, name)) < 100]
    index = read_text(os.path.join(directory, "README.txt")) if "README.txt" not in missing else ""
    unindexed = [c["id"] for c in read_list(list_path) if c["id"] + ".txt" not in index]
    for name in missing:
        print(f"windows-licenses: {directory}: no {name}", file=sys.stderr)
    for name in unindexed:
        print(f"windows-licenses: {directory}/README.txt does not list {name}.txt", file=sys.stderr)
    return 1 if missing or unindexed else 0


def main(argv):
    if len(argv) == 6 and argv[1] == "write":
        write(*argv[2:])
        return 0
    if len(argv) == 6 and argv[1] == "check":
        return check(*argv[2:])
    if len(argv) == 4 and argv[1] == "folder":
        return folder(*argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
