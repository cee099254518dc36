#!/usr/bin/env python3
"""The include-rule check passes on the real tree and fails on each planted violation, in a
copy of the tree, naming the planted file. The layers are those the build wrote.

Usage: check_includes_test.py SOURCE_DIR LAYERS_JSON"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
LAYERS = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.join(SOURCE, "build", "layers.json")
SCRIPT = os.path.join(SOURCE, "scripts", "check_includes.py")
SKIP = {".git", "build"}

# (what is planted, file, its text, passes)
CASES = [
    ("the catalogue reaching the UI", "core/catalog/planted.cpp", '#include "ui/kit.h"\n', False),
    ("the profile reaching the session flow", "core/profile/planted.cpp", '#include "engine/flow/starters.h"\n',
     False),
    ("the engine kernel reaching the App record", "engine/kernel/drill_round.cpp",
     '#include "engine/kernel/drill_round.h"\n#include "core/profile/app.h"\n', False),
    ("the catalogue reaching the kernel", "core/catalog/format.cpp", '#include "engine/kernel/session.h"\n', False),
    ("the App record reaching the renderer", "core/profile/app.h", '#include "render/renderer.h"\n', False),
    ("the App record reaching the game integration", "core/profile/app.h", '#include "integration/detection.h"\n',
     False),
    ("a record reaching the App state", "core/records/renderer.h", '#include "core/profile/app.h"\n', False),
    ("the UI reaching the shell", "ui/planted.cpp", '#include "app/input.h"\n', False),
    ("the updater reaching the App record", "updater/planted.cpp", '#include "core/profile/app.h"\n', False),
    ("audio reaching render, beside it", "audio/planted.cpp", '#include "render/capture.h"\n', False),
    ("the profile reaching the window layer of the platform", "core/profile/planted.cpp",
     '#include "platform/system/window.h"\n', False),
    ("the platform's base reaching its system half", "platform/base/common/planted.cpp",
     '#include "platform/system/window.h"\n', False),
    ("the catalogue reaching Dear ImGui", "core/catalog/planted.h", '#include "imgui.h"\n', False),
    ("program code including a test helper", "ui/planted.cpp", '#include "tests/ui/ui_harness.h"\n', False),
    ("a profile test reaching the session flow", "tests/core/profile/planted_test.cpp",
     '#include "engine/flow/starters.h"\n', False),
    ("a catalogue test reaching the App record", "tests/core/catalog/planted_test.cpp",
     '#include "core/profile/app.h"\n', False),
    # A project header in angle brackets is still a project header.
    ("the UI kit in angle brackets from the platform", "platform/system/linux/window.cpp",
     "#include <ui/kit.h>\n", False),
    ("the starters in angle brackets from the platform", "platform/system/linux/window.cpp",
     "#include <engine/flow/starters.h>\n", False),
    ("the UI kit in angle brackets from the platform's common code", "platform/base/common/planted.cpp",
     "#include <ui/kit.h>\n", False),
    ("the App record in angle brackets from the kernel", "engine/kernel/planted.cpp",
     "#include <core/profile/app.h>\n", False),
    # Every file type a compiler reads, and every folder.
    ("a .hpp header reaching the UI", "core/catalog/planted.hpp", '#include "ui/kit.h"\n', False),
    ("an .inl file reaching the App record", "engine/kernel/planted.inl", '#include "core/profile/app.h"\n', False),
    ("a .c file with SDL", "core/catalog/planted.c", "#include <SDL.h>\n", False),
    ("a new top-level folder", "newlayer/planted.cpp", "#include <vector>\n", False),
    ("a file directly in core", "core/planted.cpp", "#include <vector>\n", False),
    ("a file directly in engine", "engine/planted.h", "#pragma once\n", False),
    ("a new folder inside core", "core/newlib/planted.cpp", "#include <vector>\n", False),
    ("a test folder of no suite", "tests/newsuite/planted_test.cpp", "#include <gtest/gtest.h>\n", False),
    # What a macro names cannot be checked, so it is refused.
    ("an include through a macro", "core/catalog/planted.cpp",
     '#define PLANTED_HEADER "ui/kit.h"\n#include PLANTED_HEADER\n', False),
    ("an include through a macro in the platform", "platform/system/linux/planted.cpp",
     "#define PLANTED_HEADER <ui/kit.h>\n#include PLANTED_HEADER\n", False),
    ("an include split over two lines", "core/catalog/planted.cpp", '#include \\\n  "ui/kit.h"\n', False),
    ("SDL in the engine", "engine/kernel/planted.cpp", "#include <SDL.h>\n", False),
    ("windows.h in the profile", "core/profile/planted.cpp", "#include <windows.h>\n", False),
    ("a POSIX header in the UI", "ui/planted.cpp", "#include <unistd.h>\n", False),
    ("X11 in the shell", "app/planted.cpp", "#include <X11/Xlib.h>\n", False),
    ("curl in the updater", "updater/planted.cpp", "#include <curl/curl.h>\n", False),
    ("OpenSSL in a test", "tests/updater/planted_test.cpp", "#include <openssl/evp.h>\n", False),
    ("OpenGL in the UI", "ui/planted.cpp", "#include <GL/gl.h>\n", False),
    ("GLX in the renderer", "render/planted.cpp", "#include <GL/glx.h>\n", False),
    ("a generated header of the profile in the kernel", "engine/kernel/session.cpp",
     '#include "tarvion_build_options.h"\n', False),
    # What the rules allow.
    ("OpenGL in the renderer", "render/planted.cpp",
     '#include <GL/gl.h>\n#include <GL/glcorearb.h>\n#include "render/renderer.h"\n', True),
    ("X11 in the platform", "platform/system/linux/planted.cpp", "#include <X11/Xlib.h>\n#include <SDL.h>\n",
     True),
    ("POSIX in the platform's base", "platform/base/linux/planted.cpp", "#include <unistd.h>\n", True),
    ("POSIX and xcb in the platform's tests", "tests/platform/system/planted_test.cpp",
     "#include <unistd.h>\n#include <xcb/xcb.h>\n", True),
    ("the records in the App record", "core/profile/planted.h",
     '#include "core/records/renderer.h"\n#include "core/records/detected_game.h"\n'
     '#include "core/catalog/sound.h"\n', True),
    ("the renderer on its record", "render/planted.hpp", '#include "core/records/renderer.h"\n', True),
    ("the UI on the session flow and the updater", "ui/planted.cpp",
     '#include "engine/flow/starters.h"\n#include "updater/updater.h"\n#include "imgui.h"\n', True),
    ("the session flow on the kernel and the catalogue", "engine/flow/planted.cpp",
     '#include "engine/kernel/session.h"\n#include <core/catalog/catalog.h>\n#include "core/profile/app.h"\n',
     True),
    ("a UI test on the shell", "tests/ui/planted_test.cpp",
     '#include <gtest/gtest.h>\n#include "app/input.h"\n#include "tests/fakes/sound_recorder.h"\n', True),
    ("a commented-out include", "core/catalog/planted.cpp", '// #include "ui/kit.h"\n#include <vector> // ok\n',
     True),
]


def run_check(root):
    return subprocess.run([sys.executable, SCRIPT, "--layers", LAYERS, root], capture_output=True, text=True,
                          timeout=120)


class IncludeRules(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tarvion_include_rules_")
        cls.pristine = os.path.join(cls.work, "pristine")
        shutil.copytree(SOURCE, cls.pristine,
                        ignore=lambda folder, names: [n for n in names if n in SKIP and folder == SOURCE]
                        + [n for n in names if n.endswith(".pyc") or n == "__pycache__"])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_the_real_tree_passes(self):
        result = run_check(SOURCE)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_the_copy_passes(self):
        result = run_check(self.pristine)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_planted_includes(self):
        for name, path, text, passes in CASES:
            with self.subTest(name):
                # One file planted (or replaced) at a time; the copy is put back after each.
                target = os.path.join(self.pristine, path)
                original = None
                if os.path.exists(target):
                    with open(target, encoding="utf-8") as f:
                        original = f.read()
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "w", encoding="utf-8") as f:
                    f.write(text)
                try:
                    result = run_check(self.pristine)
                finally:
                    if original is None:
                        os.remove(target)
                    else:
                        with open(target, "w", encoding="utf-8") as f:
                            f.write(original)
                if passes:
                    self.assertEqual(result.returncode, 0, result.stdout)
                else:
                    self.assertEqual(result.returncode, 1, result.stdout)
                    self.assertIn(path, result.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
