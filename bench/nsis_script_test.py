#!/usr/bin/env python3
"""Checks the comparison installer's script, and that makensis takes it."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_payload  # noqa: E402
import nsis_script  # noqa: E402

MANIFEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Packager", "res",
                        "payload.txt")


def install_paths():
    return [path for set_name, path in make_payload.read_manifest(MANIFEST) if set_name == "install"]


class NsisScriptTest(unittest.TestCase):
    def test_stores_the_install_set_into_temp(self):
        text = nsis_script.script_text(install_paths(), "/p", "/o/nsis.exe")
        lines = text.splitlines()
        for setting in ("Unicode true", "SetCompress off", "CRCCheck off", "SilentInstall silent",
                        'OutFile "/o/nsis.exe"'):
            self.assertIn(setting, lines)
        files = [line.strip() for line in lines if line.strip().startswith("File ")]
        self.assertEqual(files, [f'File "/p/{path}"' for path in install_paths()])
        self.assertNotIn('File "/p/VRESetup32.exe"', text)
        # Every file lands in its own folder below the tree.
        folder = None
        for line in lines:
            line = line.strip()
            if line.startswith("SetOutPath"):
                folder = line.split('"')[1]
            elif line.startswith("File "):
                relative = line.split('"')[1][len("/p/"):]
                parent = os.path.dirname(relative).replace("/", "\\")
                self.assertEqual(folder, "$TEMP\\QuillaneBenchTree" + ("\\" + parent if parent else ""))

    def test_runs_setup_then_removes_the_tree(self):
        lines = [line.strip() for line in
                 nsis_script.script_text(install_paths(), "/p", "/o.exe", "Tree").splitlines()]
        first_file = next(i for i, line in enumerate(lines) if line.startswith("File "))
        removals = [i for i, line in enumerate(lines) if line == 'RMDir /r "$TEMP\\Tree"']
        run = lines.index("ExecWait '\"$TEMP\\Tree\\setup.exe\"' $0")
        self.assertEqual(len(removals), 2)
        self.assertLess(removals[0], first_file)  # a tree left there is not reused
        self.assertLess(run, removals[1])
        self.assertEqual(lines[run - 1], "ClearErrors")
        self.assertEqual(lines[run + 1], "IfErrors failed")
        self.assertIn("SetErrorLevel 3", lines[lines.index("failed:"):])

    def test_quoting(self):
        text = nsis_script.script_text(["setup.exe"], "/pay$load", "/o.exe")
        self.assertIn('File "/pay$$load/setup.exe"', text)
        with self.assertRaises(ValueError):
            nsis_script.script_text(["setup.exe"], '/a"b', "/o.exe")
        with self.assertRaisesRegex(ValueError, "setup.exe"):
            nsis_script.script_text(["data1.cab"], "/p", "/o.exe")

    @unittest.skipUnless(shutil.which("makensis"), "makensis (Debian package nsis) is not installed")
    def test_makensis_builds_it(self):
        with tempfile.TemporaryDirectory() as work:
            setup = os.path.join(work, "setup-program")
            with open(setup, "wb") as out:
                out.write(b"MZ")
            payload = os.path.join(work, "payload")
            make_payload.write_payload(payload, make_payload.read_manifest(MANIFEST), setup,
                                       one_byte=True)
            script = os.path.join(work, "bench.nsi")
            exe = os.path.join(work, "nsis.exe")
            self.assertEqual(nsis_script.main(["--manifest", MANIFEST, "--payload", payload,
                                               "--out-file", exe, script]), 0)
            built = subprocess.run(["makensis", "-V2", script], capture_output=True, text=True)
            self.assertEqual(built.returncode, 0, built.stdout + built.stderr)
            with open(exe, "rb") as image:
                self.assertEqual(image.read(2), b"MZ")


if __name__ == "__main__":
    unittest.main()
