#!/usr/bin/env python3
"""Checks the built PDF manuals: they open, the Quick Start is 2 to 4 pages, the text carries
the program's version and no unfilled placeholder, and the readings the Quick Start quotes are
the ones qel-calc computes.

  check_manuals.py --version V --qel-calc PATH QUICK_START.pdf REFERENCE.pdf
"""
import argparse
import os
import re
import subprocess
import sys
import unittest

ARGS = None
DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")


def pdf_text(path):
    """The text of a PDF with every run of white space (line ends in table cells too) one space."""
    text = subprocess.run(["pdftotext", "-raw", path, "-"], capture_output=True, check=True,
                          timeout=60).stdout.decode("utf-8")
    return " ".join(text.split())


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, check=True, timeout=60)
    match = re.search(r"^Pages:\s+(\d+)", info.stdout.decode(), re.M)
    return int(match.group(1))


def shown(example, label):
    """What the program's details panel shows for `label` with the example settings file."""
    out = subprocess.run([ARGS.qel_calc, "show", os.path.join(DOCS, example)],
                         capture_output=True, check=True, timeout=60).stdout.decode("utf-8")
    for line in out.splitlines():
        if line.startswith("details: ") and line[9:].strip().startswith(label + ": "):
            return line[9:].strip()[len(label) + 2:]
    raise AssertionError(f"{example} shows no {label}")


class Manuals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.quick = pdf_text(ARGS.quick_start)
        cls.reference = pdf_text(ARGS.reference)

    def test_quick_start_is_two_to_four_pages(self):
        self.assertGreaterEqual(pdf_pages(ARGS.quick_start), 2)
        self.assertLessEqual(pdf_pages(ARGS.quick_start), 4)

    def test_reference_manual_has_every_chapter(self):
        for chapter in ("The main window", "Scales and the mouse", "The modes",
                        "Menus and commands", "Cameras", "Formulas", "The settings file"):
            self.assertIn(chapter, self.reference)
        self.assertGreater(pdf_pages(ARGS.reference), 15)

    def test_reference_manual_ends_with_an_index_of_pages(self):
        index = self.reference[-5000:]  # the last pages
        for term in ("blur strip", "camera dialog", "field card", "hyperfocal distance", "snapping"):
            self.assertRegex(index, re.escape(term) + r" \d+(, \d+)*", term)
        self.assertIn("Index", self.reference[:self.reference.index("Introduction", 200)], "the contents list the index")

    def test_every_cross_reference_prints_its_section_and_page(self):
        with open(os.path.join(DOCS, "reference-manual.md"), encoding="utf-8") as f:
            links = f.read().count("](#")
        printed = re.findall(r", section [\d.]+, page \d+", self.reference)
        self.assertEqual(len(printed), links)

    def test_index_gives_the_explaining_section_first(self):
        sys.path.insert(0, DOCS)
        import manuals
        dests = subprocess.run(["pdfinfo", "-dests", ARGS.reference], capture_output=True, check=True,
                               timeout=60).stdout.decode("utf-8")
        page_of = {m.group(2): int(m.group(1)) for m in re.finditer(r'^\s*(\d+) \[.*\] "([^"]+)"$', dests, re.M)}
        index = self.reference[self.reference.rindex("Questions and answers"):]  # the last chapter
        for term, _, defining, _ in manuals.INDEX:
            first = re.search(r"(?:\d|Index) " + re.escape(term) + r" (\d+)", index)
            self.assertIsNotNone(first, term)
            self.assertIn(int(first.group(1)) - page_of[defining], (0, 1, 2), term)

    def test_both_carry_the_version(self):
        for text in (self.quick, self.reference):
            self.assertIn(f"QEL {ARGS.version}", text.upper())
        self.assertIn(f"Qel {ARGS.version} - Settings:", self.reference)

    def test_no_placeholder_is_left(self):
        for text in (self.quick, self.reference):
            self.assertNotIn("{{", text)
            self.assertNotIn("}}", text)

    def test_quick_start_quotes_the_programs_readings(self):
        for example, label in (("examples/dof.txt", "Hyperfocal"), ("examples/dof.txt", "Range"),
                               ("examples/stack-infinity.txt", "Focus Point 2"),
                               ("examples/stack-infinity.txt", "Near focus")):
            self.assertIn(shown(example, label), self.quick, f"{example} {label}")

    def test_menu_items_are_named_as_the_program_names_them(self):
        for item in ("Display Quick Start Reference", "Display Reference Manual", "Reset Scales",
                     "Half Stop Increments", "1.4X Teleconverter", "Edit Camera Properties..."):
            self.assertIn(item, self.reference)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--qel-calc", required=True)
    parser.add_argument("quick_start")
    parser.add_argument("reference")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest])
