#!/usr/bin/env python3
"""Checks that includes run one way through the product's folders.

The product's folders stand under src/ (the include root), the host library that plays the shell
in host/. Each folder stands on a floor and may include only folders on lower floors (and itself),
so no include runs upward and no two folders include each other. The portable core (every source that
a folder's CMakeLists.txt adds to vlpd_core, and every header those reach) includes no Windows
header: only the C++ library and the compiler's vector intrinsics. Outside win/, neither the product
nor the programs around it (host/, fixtures/, bench/, the demo and the stand-in editor) call a
closer of a handle, key, block, menu, window, module, GDI object, device context, clipboard hold,
task-allocator memory, storage medium, apartment or critical section, and the product counts no
reference by hand: the owners in win/ do, each in one place. Nothing outside tests/ includes a file
of tests/: what others share with the tests is in fixtures/.

Usage: check_layout.py [ROOT]       check the tree at ROOT (default: this script's project)
       check_layout.py --self-test  check that the rules catch what they are meant to catch
"""
import os
import re
import sys
import tempfile

FLOORS = {
    "text": 1,
    "win": 2,
    "detect": 3,
    "selection": 3,
    "project": 4,
    "commands": 5,
    "classic_menu": 6,
    "explorer_command": 6,
    "server": 7,
    "host": 8,
}
# Angle includes the portable core may use besides the C++ library's own (which have no ".h").
CORE_SYSTEM_HEADERS = {"emmintrin.h", "immintrin.h", "cpuid.h", "arm_neon.h"}
# The product's own folders besides win/, the only one that may close by hand.
OWNER_FOLDER = "win"
OWNED_FOLDERS = set(FLOORS) - {OWNER_FOLDER, "host"}
# Folders of the root, beside the product's, that use the owners of win/ as well. (A test may take a
# reference away on purpose, to see what holds the DLL.)
OWNED_OUTSIDE = ["host", "fixtures", "bench", "tools/demo", "tools/stand_in_editor"]
# The product's COM classes count through ComObject; a fake of host/ counts by hand, for the tests
# to read.
HAND_COUNT = "InterlockedDecrement"
RAW_CLOSER = re.compile(
    r"\b(CloseHandle|FindClose|RegCloseKey|GlobalFree|DestroyMenu|DestroyWindow|FreeLibrary|DeleteObject"
    r"|DestroyIcon|ReleaseDC|DeleteDC|CloseClipboard|CoTaskMemFree|ReleaseStgMedium|CoUninitialize"
    r"|LeaveCriticalSection|DeleteCriticalSection|InterlockedDecrement)\s*\(")
# The folder only its own files may include from.
TESTS = "tests"
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)

QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ANGLED = re.compile(r"^\s*#\s*include\s+<([^>]+)>", re.M)
CORE_SOURCES = re.compile(r"target_sources\(\s*vlpd_core\s+PRIVATE\s+([^)]*)\)", re.S)


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def folder_path(folder):
    """Where `folder` stands, from the root: the product's under src/, the host at the root."""
    return folder if folder == "host" else f"src/{folder}"


def folder_of(path):
    """The floor's folder of `path` (a path from the root)."""
    parts = path.split("/")
    return parts[1] if parts[0] == "src" else parts[0]


def sources(root, base):
    """The C++ files below the folder `base` (a path from the root), as paths from the root."""
    for directory, folders, names in os.walk(os.path.join(root, base)):
        folders.sort()
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def product_files(root):
    for folder in FLOORS:
        yield from sources(root, folder_path(folder))


def owned_files(root):
    """The files that close through the owners of win/ only."""
    for folder in sorted(OWNED_FOLDERS):
        yield from sources(root, folder_path(folder))
    for base in OWNED_OUTSIDE:
        yield from sources(root, base)


def outside_tests(root):
    """Every C++ file of the tree but those of tests/ and of the build folders."""
    for entry in sorted(os.listdir(root)):
        if entry != TESTS and not entry.startswith((".", "build")) and os.path.isdir(os.path.join(root, entry)):
            yield from sources(root, entry)


def core_files(root):
    """Sources added to vlpd_core and every project header they reach."""
    pending = []
    for folder in FLOORS:
        cmake = os.path.join(root, folder_path(folder), "CMakeLists.txt")
        if os.path.exists(cmake):
            for block in CORE_SOURCES.findall(read(cmake)):
                pending += [f"{folder_path(folder)}/{name}" for name in block.split()]
    seen = set()
    while pending:
        path = pending.pop()
        if path in seen or not os.path.exists(os.path.join(root, path)):
            continue
        seen.add(path)
        header = os.path.splitext(path)[0] + ".h"
        if path.endswith(".cpp") and os.path.exists(os.path.join(root, header)):
            pending.append(header)
        pending += [include if include.split("/")[0] == "host" else f"src/{include}"
                    for include in QUOTED.findall(read(os.path.join(root, path)))]
    return seen


def violations(root):
    found = []
    for path in product_files(root):
        folder = folder_of(path)
        for target in QUOTED.findall(read(os.path.join(root, path))):
            other = target.split("/")[0]
            if other == folder or other not in FLOORS:
                continue
            if FLOORS[other] >= FLOORS[folder]:
                found.append(f"{path}: includes {target}, which is not on a floor below {folder}/")
    for path in outside_tests(root):
        for target in QUOTED.findall(read(os.path.join(root, path))):
            if target.split("/")[0] == TESTS:
                found.append(f"{path}: includes {target}; only the tests include tests/ (shared files: fixtures/)")
    for path in owned_files(root):
        code = COMMENT.sub(lambda m: "\n" * m.group().count("\n"), read(os.path.join(root, path)))
        for match in RAW_CLOSER.finditer(code):
            if match.group(1) == HAND_COUNT and folder_of(path) not in OWNED_FOLDERS:
                continue
            line = code.count("\n", 0, match.start()) + 1
            found.append(f"{path}:{line}: calls {match.group(1)} by hand; an owner in {OWNER_FOLDER}/ closes it")
    for path in sorted(core_files(root)):
        for target in ANGLED.findall(read(os.path.join(root, path))):
            if target.endswith(".h") and target not in CORE_SYSTEM_HEADERS:
                found.append(f"{path}: portable core file includes <{target}>")
    return found


def self_test():
    cases = {
        # name: (files, expected number of violations)
        "clean": ({"text/a.h": "", "win/w.h": "#include <windows.h>\n",
                   "commands/h.cpp": '#include "text/a.h"\n#include "win/w.h"\n',
                   "commands/CMakeLists.txt": "target_sources(vlpd_core PRIVATE)"}, 0),
        "upward": ({"text/a.h": '#include "commands/h.h"\n', "commands/h.h": ""}, 1),
        "same floor": ({"detect/d.h": '#include "selection/s.h"\n', "selection/s.h": ""}, 1),
        "circle": ({"project/p.h": '#include "commands/h.h"\n', "commands/h.h": '#include "project/p.h"\n'}, 1),
        "front ends apart": ({"classic_menu/c.h": '#include "explorer_command/e.h"\n', "explorer_command/e.h": ""}, 1),
        "windows in core": ({"text/CMakeLists.txt": "target_sources(vlpd_core PRIVATE t.cpp)",
                             "text/t.cpp": '#include "text/t2.h"\n', "text/t2.h": "#include <windows.h>\n"}, 1),
        "windows outside core": ({"text/CMakeLists.txt": "target_sources(vlpd_core PRIVATE)",
                                  "text/w.cpp": "#include <windows.h>\n#include <cstring>\n"}, 0),
        "raw closers": ({"commands/c.cpp": "void F(HANDLE h) {\n  CloseHandle(h);\n}\n",
                         "server/s.h": "inline void G(HKEY k) { RegCloseKey (k); }\n",
                         "selection/t.cpp": "  if (p) CoTaskMemFree(p);\n  ReleaseStgMedium(&m);\n"}, 4),
        "hand-made lock and count": ({"explorer_command/e.cpp": "~Site() { DeleteCriticalSection(&lock_); }\n"
                                                                "~Lock() { LeaveCriticalSection(&s_); }\n"
                                                                "if (InterlockedDecrement(&refs_) == 0) delete this;\n"},
                                     3),
        "closers where they belong": ({"win/u.h": "struct T { static void Close(HANDLE h) { CloseHandle(h); } };\n",
                                       "win/c.h": "~CriticalSection() { DeleteCriticalSection(&s_); }\n",
                                       "classic_menu/m.cpp": "// DestroyMenu(menu) is the owner's\n"
                                                             "/* DeleteObject(b) */ Forget(b);\n"
                                                             "MyCloseHandle(h);\n",
                                       "tools/other/o.cpp": "CloseHandle(h);\n"}, 0),
        "closers around the product": ({"host/h.cpp": "DestroyMenu(menu);\nInterlockedDecrement(&refs_);\n",
                                        "bench/b.cpp": "DeleteDC(dc);\n", "tools/demo/d.cpp": "FreeLibrary(m);\n",
                                        "tools/stand_in_editor/s.cpp": "DestroyWindow(w);\n",
                                        "tests/t.cpp": "FreeLibrary(m);\n"}, 4),
        "tests included from outside": ({"tests/support/s.h": "", "tests/t.cpp": '#include "tests/support/s.h"\n',
                                         "bench/b.cpp": '#include "tests/support/s.h"\n',
                                         "fixtures/f.h": '#include "tests/support/s.h"\n'}, 2),
    }
    failed = 0
    for name, (files, expected) in cases.items():
        with tempfile.TemporaryDirectory() as root:
            for path, content in files.items():
                # The cases name the product's folders as they are included, without src/.
                if path.split("/")[0] in FLOORS:
                    path = folder_path(path.split("/")[0]) + path[path.index("/"):]
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as f:
                    f.write(content)
            got = violations(root)
            if len(got) != expected:
                failed += 1
                print(f"self-test {name}: expected {expected} violations, got {got}")
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    found = violations(root)
    for line in found:
        print(line)
    if not found:
        print(f"layout: {sum(1 for _ in product_files(root))} files, includes run one way")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
