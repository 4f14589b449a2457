#!/usr/bin/env python3
"""Checks the benchmark's payload generator against the real manifest."""
import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_payload  # noqa: E402

MANIFEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Packager", "res",
                        "payload.txt")


class PayloadTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.addCleanup(self.work.cleanup)
        self.rows = make_payload.read_manifest(MANIFEST)
        self.setup_exe = os.path.join(self.work.name, "quick_setup.exe")
        with open(self.setup_exe, "wb") as out:
            out.write(b"MZ a real program's bytes")

    def folder(self, name):
        return os.path.join(self.work.name, name)

    def read(self, folder, relative):
        with open(os.path.join(folder, relative), "rb") as data:
            return data.read()

    def test_sizes_are_of_carried_files_only(self):
        paths = {path for _, path in self.rows}
        self.assertLessEqual(set(make_payload.SIZES), paths - {make_payload.SETUP})

    def test_sizes_make_the_full_and_the_tenfold_payload(self):
        total = sum(make_payload.SIZES.values())
        self.assertTrue(18.5e6 < total < 19.5e6, total)
        self.assertAlmostEqual(total * 10 / 2**20, 184, delta=1)
        self.assertEqual(max(make_payload.SIZES.values()), make_payload.SIZES["data1.cab"])
        self.assertEqual(make_payload.SIZES["data1.cab"], 5_500_000)

    def test_full_payload_is_laid_out_as_the_manifest_says(self):
        folder = self.folder("full")
        self.assertTrue(make_payload.write_payload(folder, self.rows, self.setup_exe))
        for _, relative in self.rows:
            size = os.path.getsize(os.path.join(folder, relative))
            if relative == make_payload.SETUP:
                self.assertEqual(self.read(folder, relative), b"MZ a real program's bytes")
            else:
                expected = make_payload.SIZES.get(relative, make_payload.DEFAULT_SIZE)
                self.assertEqual(size, expected, relative)
        # Nothing beside the manifest's files but the stamp.
        written = {os.path.relpath(os.path.join(top, name), folder).replace(os.sep, "/")
                   for top, _, names in os.walk(folder) for name in names}
        self.assertEqual(written, {path for _, path in self.rows} | {make_payload.STAMP})

    def test_bytes_come_from_the_seed_and_the_path(self):
        first, second, other = self.folder("a"), self.folder("b"), self.folder("c")
        make_payload.write_payload(first, self.rows, self.setup_exe, seed=7)
        make_payload.write_payload(second, self.rows, self.setup_exe, seed=7)
        make_payload.write_payload(other, self.rows, self.setup_exe, seed=8)
        for _, relative in self.rows:
            self.assertEqual(self.read(first, relative), self.read(second, relative), relative)
        self.assertNotEqual(self.read(first, "data1.cab"), self.read(other, "data1.cab"))
        # Two files of one size still differ: the seed takes in the path.
        self.assertNotEqual(self.read(first, "kpusb/KPUSB64/licenseE.txt"),
                            self.read(first, "kpusb/KPUSBXP/licenseE.txt"))
        # Not a repeated pattern: pseudo-random bytes hardly repeat a 64-byte block.
        data = self.read(first, "data2.cab")
        blocks = {data[at:at + 64] for at in range(0, 64 * 1000, 64)}
        self.assertEqual(len(blocks), 1000)

    def test_scale_multiplies_every_size_but_setup(self):
        folder = self.folder("double")
        make_payload.write_payload(folder, self.rows, self.setup_exe, scale=2)
        for _, relative in self.rows:
            size = os.path.getsize(os.path.join(folder, relative))
            expected = (len(b"MZ a real program's bytes") if relative == make_payload.SETUP
                        else 2 * make_payload.SIZES.get(relative, make_payload.DEFAULT_SIZE))
            self.assertEqual(size, expected, relative)

    def test_one_byte_payload_keeps_the_real_setup(self):
        folder = self.folder("one")
        make_payload.write_payload(folder, self.rows, self.setup_exe, one_byte=True)
        for _, relative in self.rows:
            if relative == make_payload.SETUP:
                self.assertEqual(self.read(folder, relative), b"MZ a real program's bytes")
            else:
                self.assertEqual(self.read(folder, relative), b"x", relative)

    def test_same_parameters_leave_the_folder_alone(self):
        folder = self.folder("kept")
        self.assertTrue(make_payload.write_payload(folder, self.rows, self.setup_exe, one_byte=True))
        cab = os.path.join(folder, "data1.cab")
        os.utime(cab, (1_000_000, 1_000_000))
        self.assertFalse(make_payload.write_payload(folder, self.rows, self.setup_exe, one_byte=True))
        self.assertEqual(os.path.getmtime(cab), 1_000_000)
        # Anything else rewrites it: the kind, the setup program, a lost file.
        self.assertTrue(make_payload.write_payload(folder, self.rows, self.setup_exe))
        self.assertEqual(os.path.getsize(cab), make_payload.SIZES["data1.cab"])
        with open(self.setup_exe, "ab") as out:
            out.write(b"!")
        self.assertTrue(make_payload.write_payload(folder, self.rows, self.setup_exe))
        os.remove(os.path.join(folder, "manual/TC/Quillane_User'sManual.pdf"))
        self.assertTrue(make_payload.write_payload(folder, self.rows, self.setup_exe))
        self.assertTrue(os.path.isfile(os.path.join(folder, "manual/TC/Quillane_User'sManual.pdf")))

    def test_a_file_without_a_size_is_a_small_text_and_setup_is_needed(self):
        rows = self.rows + [("install", "extra/new.bin")]
        self.assertTrue(make_payload.write_payload(self.folder("x"), rows, self.setup_exe))
        self.assertEqual(os.path.getsize(self.folder("x/extra/new.bin")), make_payload.DEFAULT_SIZE)
        with self.assertRaisesRegex(ValueError, "setup.exe"):
            make_payload.write_payload(self.folder("y"), self.rows[1:], self.setup_exe)

    def test_install_listing(self):
        output = io.StringIO()
        with contextlib.redirect_stdout(output):
            self.assertEqual(make_payload.main(["--manifest", MANIFEST, "--list-install"]), 0)
        listed = output.getvalue().splitlines()
        self.assertEqual(listed, [path for kind, path in self.rows if kind == "install"])
        self.assertEqual(listed[0], "setup.exe")
        self.assertNotIn("KPCOMUSBCLN.dll", listed)
        self.assertIn("manual/JA/Quillane_User'sManual.pdf", listed)


if __name__ == "__main__":
    unittest.main()
