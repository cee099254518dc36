#!/usr/bin/env python3
"""The include rules of the layers. Fails (exit 1) on an include that reaches a layer the
including file's library does not link, and on any header outside the C++ standard library
(operating system, SDL, X11, OpenGL, curl, OpenSSL, ...) outside platform/, except OpenGL in
the renderer and its tests. The layers and their links are those of CMakeLists.txt.

Usage: check_includes.py [ROOT]   (ROOT defaults to the checkout this script is in)
"""
import os
import re
import sys

# Which layer a file belongs to: the first row whose pattern matches its path. core/ and
# engine/ hold two layers each; the platform headers of the base library are named.
LAYERS = [
    ("platform_base", ["platform/common/**", "platform/*/base_*",
                       "platform/atomic_file.h", "platform/clock.h", "platform/errors.h", "platform/file_open.h",
                       "platform/files.h", "platform/win32/wide.h",
                       "platform/folders.h", "platform/fonts.h", "platform/paths.h", "platform/process.h",
                       "platform/registry.h", "platform/text.h", "platform/timefmt.h", "platform/url_rules.h"]),
    ("platform", ["platform/**"]),
    ("catalog", ["core/armory.*", "core/catalog.*", "core/format.*", "core/sound_sink.cpp", "core/angles.h"]),
    ("kernel", ["engine/analysis.*", "engine/drill_round.*", "engine/metrics.*", "engine/round_config.*",
                "engine/session.*", "engine/sim_aimer.*", "engine/rng.h", "engine/debris.h"]),
    ("core", ["core/*"]),
    ("engine", ["engine/*"]),
    ("audio", ["audio/*"]),
    ("render", ["render/*"]),
    ("updater", ["updater/*"]),
    ("integration", ["integration/*"]),
    ("ui", ["ui/*"]),
    ("app", ["app/*"]),
    ("imgui", ["cmake/*"]),  # the UI probe's item hooks, built into Dear ImGui
    ("model_pack_tool", ["assets/*"]),
    ("bench", ["bench/*"]),
]

# What each layer links directly (the rest follows): one way only, as in CMakeLists.txt.
# "imgui" stands for Dear ImGui's headers.
LINKS = {
    "platform_base": [],
    "platform": ["platform_base", "imgui"],
    "catalog": ["platform_base"],
    "kernel": ["catalog"],
    "core": ["kernel", "catalog", "platform_base"],
    "engine": ["core"],
    "audio": ["catalog", "platform"],
    "render": ["kernel", "catalog", "platform"],
    "updater": ["platform"],
    "integration": ["core", "platform"],
    "ui": ["engine", "audio", "integration", "updater", "platform", "imgui"],
    "app": ["ui", "render", "audio", "integration", "updater", "engine", "platform", "imgui"],
    "model_pack_tool": [],
    "bench": ["app"],
    "imgui": [],
}

# A test folder may include what its suite links (tests/CMakeLists.txt), and any test helper.
TEST_SUITES = {
    "core": "core", "engine": "engine", "platform": "platform", "audio": "audio",
    "integration": "integration", "updater": "updater", "render": "render", "ui": "app", "app": "app",
    "fakes": "catalog",
}

# Records that App holds by value: any layer may include them, so they include nothing but
# the standard library themselves.
LEAF_HEADERS = {"audio/sound.h", "integration/detection.h", "integration/reforger.h", "render/renderer.h"}

# Headers the build writes, and the layer whose files include them.
GENERATED = {"tarvion_build_options.h": "core"}

# Where the operating system and the third-party libraries may be included: the platform
# layer and its tests (which act as other programs would, beside the window).
OS_ALLOWED = ["platform/**", "tests/platform/**"]
GL_ALLOWED = ["render/*", "tests/render/**", "bench/render.cpp"]
TEST_FRAMEWORKS = {"gtest/gtest.h", "gmock/gmock.h", "benchmark/benchmark.h"}
IMGUI_HEADERS = re.compile(r"^(backends/)?imgui[a-z0-9_]*\.h$")

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

SOURCE_DIRS = ["core", "engine", "render", "audio", "app", "ui", "integration", "updater", "assets",
               "platform", "cmake", "bench", "tests"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def pattern_regex(pattern):
    # "*" stays within one folder, "**" crosses folders.
    out = ""
    i = 0
    while i < len(pattern):
        if pattern.startswith("**", i):
            out, i = out + ".*", i + 2
        elif pattern[i] == "*":
            out, i = out + "[^/]*", i + 1
        else:
            out, i = out + re.escape(pattern[i]), i + 1
    return re.compile(out + r"\Z")


def matches(path, patterns):
    return any(pattern_regex(p).match(path) for p in patterns)


def layer_of(path):
    for layer, patterns in LAYERS:
        if matches(path, patterns):
            return layer
    return None


def reachable(layer):
    seen, todo = {layer}, [layer]
    while todo:
        for dep in LINKS.get(todo.pop(), []):
            if dep not in seen:
                seen.add(dep)
                todo.append(dep)
    return seen


def source_files(root):
    for top in SOURCE_DIRS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def resolve(root, including, target):
    """The project file a quoted include names, or None for a header from outside."""
    for candidate in (target, os.path.join(os.path.dirname(including), target), os.path.join("cmake", target)):
        candidate = os.path.normpath(candidate).replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def check(root):
    problems = []
    for path in source_files(root):
        in_tests = path.startswith("tests/")
        if in_tests:
            suite = path.split("/")[1] if path.count("/") >= 2 else None
            own = TEST_SUITES.get(suite)
            if own is None:
                problems.append(f"{path}: a test folder that links no library (add it to TEST_SUITES)")
                continue
        else:
            own = layer_of(path)
            if own is None:
                problems.append(f"{path}: belongs to no layer (add it to LAYERS)")
                continue
        allowed = reachable(own)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()
        for number, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, target = m.groups()
            where = f"{path}:{number}"
            if kind == '"':
                found = resolve(root, path, target)
                if found is None:
                    if target in GENERATED:
                        if GENERATED[target] not in allowed:
                            problems.append(f"{where}: includes the generated {target} of {GENERATED[target]}, "
                                            f"which {own} does not link")
                    elif IMGUI_HEADERS.match(target):
                        if "imgui" not in allowed:
                            problems.append(f"{where}: includes Dear ImGui ({target}), which {own} does not link")
                    else:
                        problems.append(f"{where}: includes \"{target}\", which is no file of the project")
                    continue
                if found.startswith("tests/"):
                    if not in_tests and own != "bench":
                        problems.append(f"{where}: program code includes the test file {found}")
                    continue
                if path in LEAF_HEADERS:
                    problems.append(f"{where}: {path} is held by value in App and must include only the "
                                    f"standard library, not {found}")
                    continue
                if found in LEAF_HEADERS:
                    continue
                theirs = layer_of(found)
                if theirs not in allowed:
                    problems.append(f"{where}: includes {found} ({theirs}), which {own} does not link")
            else:
                if target in STANDARD or (in_tests or own == "bench") and target in TEST_FRAMEWORKS:
                    continue
                if target.startswith(("GL/", "GLES", "EGL/")) and matches(path, GL_ALLOWED):
                    continue
                if matches(path, OS_ALLOWED):
                    continue
                problems.append(f"{where}: includes <{target}>: system and third-party headers belong in "
                                f"platform/")
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"include rules: {len(problems)} problem(s)")
        return 1
    print("include rules: every include stays within its layer")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
