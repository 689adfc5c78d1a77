#!/usr/bin/env python3
"""Checks the Windows release package: qel-<version>-win32.zip holds exactly qel.exe, qel-calc.exe, the
two PDF manuals and README.txt, each the file the Windows build made, for the project's version.

  check_release.py BUILD_DIR     (the Windows build folder, for example build/win)
"""
import os
import re
import struct
import sys
import unittest
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BUILD = None
EXPECTED = {"qel.exe", "qel-calc.exe", "Qel Quick Start.pdf", "Qel Reference Manual.pdf", "README.txt"}


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(\s*Qel\s+VERSION\s+([0-9.]+)", f.read()).group(1)


class ReleasePackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.version = project_version()
        cls.path = os.path.join(BUILD, f"qel-{cls.version}-win32.zip")
        cls.exe_dir = os.path.join(BUILD, "app", "win32")

    def open(self):
        self.assertTrue(os.path.isfile(self.path), f"no {self.path}")
        return zipfile.ZipFile(self.path)

    def test_holds_exactly_the_program_the_manuals_and_the_read_me(self):
        with self.open() as z:
            self.assertIsNone(z.testzip())
            names = z.namelist()
        self.assertEqual(sorted(names), sorted(EXPECTED))

    def test_files_are_the_ones_the_build_made(self):
        with self.open() as z:
            for name in ("qel.exe", "Qel Quick Start.pdf", "Qel Reference Manual.pdf"):
                with open(os.path.join(self.exe_dir, name), "rb") as f:
                    self.assertEqual(z.read(name), f.read(), name)
            with open(os.path.join(BUILD, "tools", "qel-calc.exe"), "rb") as f:
                self.assertEqual(z.read("qel-calc.exe"), f.read())
            self.assertTrue(z.read("qel.exe").startswith(b"MZ"))
            for name in ("Qel Quick Start.pdf", "Qel Reference Manual.pdf"):
                self.assertTrue(z.read(name).startswith(b"%PDF-"), name)

    def test_programs_are_stripped_and_run_alone(self):
        with self.open() as z:
            # qel-calc reads files through the C++ library's streams, which bring their locales.
            for name, most in (("qel.exe", 1 << 20), ("qel-calc.exe", 2 << 20)):
                with self.subTest(name):
                    self.check_stripped_and_alone(name, z.read(name), most)

    def check_stripped_and_alone(self, name, exe, most):
        # PE header: symbol table pointer and count are zero in a stripped file.
        pe = struct.unpack_from("<I", exe, 0x3C)[0]
        self.assertEqual(exe[pe:pe + 4], b"PE\0\0")
        symbols, count = struct.unpack_from("<II", exe, pe + 4 + 8)
        self.assertEqual((symbols, count), (0, 0), f"{name} carries a symbol table")
        self.assertLess(len(exe), most, f"{name} has grown past {most >> 20} MB: what does a calculator need that for?")
        # Only Windows' own DLLs: the C++ runtime is linked in.
        dlls = {m.decode().lower() for m in re.findall(rb"([A-Za-z0-9_]+\.dll)\0", exe)}
        self.assertFalse({d for d in dlls if d.startswith(("libstdc", "libgcc", "libwinpthread"))}, dlls)

    def test_program_names_its_version_and_carries_its_manifest(self):
        with self.open() as z:
            exe = z.read("qel.exe")
        # The version resource Explorer shows: key and value as UTF-16, zero-terminated.
        for key, value in (("ProductName", "Qel"), ("FileVersion", self.version),
                           ("ProductVersion", self.version), ("OriginalFilename", "qel.exe")):
            self.assertRegex(exe, re.escape(f"{key}\0".encode("utf-16-le")) + rb"(?:\0\0)*" +
                             re.escape(f"{value}\0".encode("utf-16-le")), key)
        major, minor = self.version.split(".")[:2]
        self.assertIn(struct.pack("<HHHH", int(minor), int(major), 0, 0), exe, "binary FILEVERSION")
        self.assertIn(b"Microsoft.Windows.Common-Controls", exe)
        self.assertIn(b'level="asInvoker"', exe)
        self.assertIn(b"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2", exe)

    def test_read_me_names_the_version_in_windows_lines(self):
        with self.open() as z:
            text = z.read("README.txt").decode("utf-8")
        self.assertIn(f"Qel {self.version}", text)
        self.assertNotIn("{{", text)
        self.assertEqual(text.count("\n"), text.count("\r\n"))
        for name in EXPECTED:
            self.assertIn(name, text)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    BUILD = sys.argv.pop(1)
    unittest.main()
