#!/usr/bin/env python3
"""The include-rule check passes on the real tree and fails on each planted violation, in a
copy of the tree, naming the planted file."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(SOURCE, "scripts", "check_includes.py")
FOLDERS = ["core", "engine", "render", "audio", "app", "ui", "integration", "updater", "assets", "platform",
           "cmake", "bench", "tests"]

# (what is planted, file, its text, passes)
CASES = [
    ("core reaching the UI", "core/planted.cpp", '#include "ui/kit.h"\n', False),
    ("the App state reaching the session flow", "core/planted.cpp", '#include "engine/starters.h"\n', False),
    ("the engine kernel reaching the App record", "engine/drill_round.cpp",
     '#include "engine/drill_round.h"\n#include "core/app.h"\n', False),
    ("the catalogue reaching the kernel", "core/format.cpp", '#include "engine/session.h"\n', False),
    ("the UI reaching the shell", "ui/planted.cpp", '#include "app/input.h"\n', False),
    ("the updater reaching the App record", "updater/planted.cpp", '#include "core/app.h"\n', False),
    ("audio reaching render, beside it", "audio/planted.cpp", '#include "render/capture.h"\n', False),
    ("core reaching the window layer of the platform", "core/planted.cpp", '#include "platform/window.h"\n',
     False),
    ("core reaching Dear ImGui", "core/planted.h", '#include "imgui.h"\n', False),
    ("a held-by-value record including the App state", "render/renderer.h", '#include "core/app.h"\n', False),
    ("program code including a test helper", "ui/planted.cpp", '#include "tests/ui/ui_harness.h"\n', False),
    ("a core test reaching the session flow", "tests/core/planted_test.cpp", '#include "engine/starters.h"\n',
     False),
    ("SDL in the engine", "engine/planted.cpp", "#include <SDL.h>\n", False),
    ("windows.h in core", "core/planted.cpp", "#include <windows.h>\n", False),
    ("a POSIX header in the UI", "ui/planted.cpp", "#include <unistd.h>\n", False),
    ("X11 in the shell", "app/planted.cpp", "#include <X11/Xlib.h>\n", False),
    ("curl in the updater", "updater/planted.cpp", "#include <curl/curl.h>\n", False),
    ("OpenSSL in a test", "tests/updater/planted_test.cpp", "#include <openssl/evp.h>\n", False),
    ("OpenGL in the UI", "ui/planted.cpp", "#include <GL/gl.h>\n", False),
    ("a generated header of core in the kernel", "engine/session.cpp", '#include "tarvion_build_options.h"\n',
     False),
    ("a file no layer owns", "core/sub/planted.cpp", "#include <vector>\n", False),
    # What the rules allow.
    ("OpenGL in the renderer", "render/planted.cpp", '#include <GL/gl.h>\n#include "render/renderer.h"\n', True),
    ("X11 in the platform", "platform/linux/planted.cpp", "#include <X11/Xlib.h>\n#include <SDL.h>\n", True),
    ("POSIX and xcb in the platform's tests", "tests/platform/planted_test.cpp",
     "#include <unistd.h>\n#include <xcb/xcb.h>\n", True),
    ("the App record's leaf headers in core", "core/planted.cpp",
     '#include "render/renderer.h"\n#include "integration/detection.h"\n#include "audio/sound.h"\n', True),
    ("the UI on the session flow and the updater", "ui/planted.cpp",
     '#include "engine/starters.h"\n#include "updater/updater.h"\n#include "imgui.h"\n', True),
    ("the session flow on the kernel and the catalogue", "engine/planted.cpp",
     '#include "engine/session.h"\n#include "core/catalog.h"\n#include "core/app.h"\n', True),
    ("a UI test on the shell", "tests/ui/planted_test.cpp",
     '#include <gtest/gtest.h>\n#include "app/input.h"\n#include "tests/fakes/sound_recorder.h"\n', True),
]


def run_check(root):
    return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True, timeout=120)


class IncludeRules(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tarvion_include_rules_")
        cls.pristine = os.path.join(cls.work, "pristine")
        for folder in FOLDERS:
            shutil.copytree(os.path.join(SOURCE, folder), os.path.join(cls.pristine, folder),
                            ignore=shutil.ignore_patterns("*.pyc", "__pycache__"))

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
