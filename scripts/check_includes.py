#!/usr/bin/env python3
"""The include rules of the layers, as the build states them. Each library and test folder is
a unit of layers.json, which the configure step writes from cmake/layers.cmake: its folders,
the units it links and the outside headers it may include. Fails (exit 1) when

- a source or header file of the tree belongs to no unit (a new folder must be given to one);
- an include names a project file, in quotes or in angle brackets, of a unit that the
  including file's unit does not reach through its links;
- an include is computed (a macro) rather than a written name;
- an outside header (operating system, SDL, X11, curl, OpenSSL, ...) is included by a unit
  that may not: only the platform and its tests may, and OpenGL's own headers only the
  renderer, its tests and the benchmarks; Dear ImGui only where imgui is linked.

Usage: check_includes.py [--layers FILE] [ROOT]
  ROOT defaults to the checkout this script is in, FILE to ROOT/build/layers.json.
"""
import fnmatch
import json
import os
import re
import sys

# Every file type a compiler reads.
SOURCE_TYPES = (".h", ".hh", ".hpp", ".hxx", ".inl", ".ipp", ".tpp", ".c", ".cc", ".cpp", ".cxx")
# Folders of the checkout that hold no code of ours.
SKIP_TOP = {".git", "build", ".ci"}

GL_HEADERS = {"GL/gl.h", "GL/glcorearb.h", "GL/glext.h", "KHR/khrplatform.h"}
TEST_FRAMEWORKS = ("gtest/", "gmock/", "benchmark/")

STANDARD = set("""
algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono cinttypes
climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal cstdarg
cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution expected
filesystem format forward_list fstream functional future initializer_list iomanip ios iosfwd iostream
istream iterator latch limits list locale map memory memory_resource mutex new numbers numeric optional
ostream queue random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span
sstream stack stdexcept stop_token streambuf string string_view syncstream system_error thread tuple
type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector version
""".split())

# A preprocessor line that includes something; group 1 is what follows the keyword.
DIRECTIVE = re.compile(r"^\s*#\s*(?:include|include_next|import)\b\s*(.*)$")
WRITTEN = re.compile(r'^(["<])([^">]+)[">]')


def load_units(layers_path):
    with open(layers_path, encoding="utf-8") as f:
        units = json.load(f)["units"]
    owners = []  # (folder, unit), longest folder first
    for name, unit in units.items():
        for folder in unit["folders"]:
            owners.append((folder.rstrip("/"), name))
    owners.sort(key=lambda o: -len(o[0]))
    return units, owners


def unit_of(path, owners):
    for folder, name in owners:
        if path == folder or path.startswith(folder + "/"):
            return name
    return None


def reachable(units, name):
    seen, todo = {name}, [name]
    while todo:
        for dep in units.get(todo.pop(), {}).get("links", []):
            if dep not in seen:
                seen.add(dep)
                todo.append(dep)
    return seen


def source_files(root):
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel == ".":
            dirs[:] = sorted(d for d in dirs if d not in SKIP_TOP and not d.startswith("."))
        else:
            dirs.sort()
        for name in sorted(files):
            if name.lower().endswith(SOURCE_TYPES):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, root).replace(os.sep, "/")


def resolve(root, including, target):
    """The project file an include names, or None for a header from outside. Our libraries put
    the checkout's root on the include path, and Dear ImGui adds cmake/."""
    for candidate in (target, os.path.join(os.path.dirname(including), target), os.path.join("cmake", target)):
        candidate = os.path.normpath(candidate).replace(os.sep, "/")
        if candidate.startswith("../"):
            continue
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def provider(units, target):
    for name, unit in units.items():
        if any(fnmatch.fnmatchcase(target, p) for p in unit.get("provides", [])):
            return name
    return None


def logical_lines(text):
    """Lines with backslash continuations joined, numbered by their first physical line."""
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        start, line = i, lines[i]
        while line.endswith("\\") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + lines[i]
        yield start + 1, line
        i += 1


def strip_comment(rest):
    rest = re.sub(r"/\*.*?\*/", " ", rest)
    return rest.split("//", 1)[0].strip()


def check(root, units, owners):
    problems = []
    for path in source_files(root):
        own = unit_of(path, owners)
        if own is None:
            problems.append(f"{path}: belongs to no library or test folder of the build "
                            f"(give its folder to one in cmake/layers.cmake or tests/suites.cmake)")
            continue
        allowed = reachable(units, own)
        kinds = set(units[own].get("headers", []))
        generated = {g: name for name, u in units.items() for g in u.get("generated", [])}
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for number, line in logical_lines(text):
            m = DIRECTIVE.match(line)
            if not m:
                continue
            where = f"{path}:{number}"
            rest = strip_comment(m.group(1))
            w = WRITTEN.match(rest)
            if not w:
                problems.append(f"{where}: includes through a macro ({rest}): write the header's name")
                continue
            kind, target = w.groups()
            found = resolve(root, path, target)
            if found is not None:
                theirs = unit_of(found, owners)
                if found.startswith("tests/") and not path.startswith("tests/") and own != "bench":
                    problems.append(f"{where}: program code includes the test file {found}")
                elif found.startswith("tests/"):
                    continue  # a test may use any test helper
                elif theirs is None:
                    problems.append(f"{where}: includes {found}, which belongs to no library")
                elif theirs not in allowed:
                    problems.append(f"{where}: includes {found} ({theirs}), which {own} does not link")
                continue
            if target in generated:
                if generated[target] not in allowed:
                    problems.append(f"{where}: includes the generated {target} of {generated[target]}, "
                                    f"which {own} does not link")
                continue
            lib = provider(units, target)
            if lib is not None:
                if lib not in allowed:
                    problems.append(f"{where}: includes {target} of {lib}, which {own} does not link")
                continue
            if kind == '"':
                problems.append(f"{where}: includes \"{target}\", which is no file of the project")
                continue
            if target in STANDARD:
                continue
            if target.startswith(TEST_FRAMEWORKS) and "tests" in kinds:
                continue
            if target in GL_HEADERS and ("gl" in kinds or "os" in kinds):
                continue
            if "os" in kinds:
                continue
            problems.append(f"{where}: includes <{target}>: system and third-party headers belong in "
                            f"platform/ (OpenGL's own headers also in render/)")
    return problems


def main(argv):
    args = argv[1:]
    layers = None
    if len(args) >= 2 and args[0] == "--layers":
        layers, args = args[1], args[2:]
    root = args[0] if args else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    layers = layers or os.path.join(root, "build", "layers.json")
    if not os.path.isfile(layers):
        print(f"include rules: {layers} not found: configure the build first (scripts/build.sh)")
        return 1
    units, owners = load_units(layers)
    problems = check(root, units, owners)
    for p in problems:
        print(p)
    if problems:
        print(f"include rules: {len(problems)} problem(s)")
        return 1
    print("include rules: every include stays within its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
