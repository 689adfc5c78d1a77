#!/usr/bin/env python3
"""End-to-end checks of qel-calc's output contract: state, show and save on real files."""
import math
import os
import subprocess
import sys
import tempfile
import unittest

QEL_CALC = os.environ.get("QEL_CALC", "build/native/tools/qel-calc")

# The settings file that holds exactly the defaults, with "." as the decimal point.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "default_settings.txt"),
          encoding="utf-8", newline="") as _f:
    DEFAULT_TEXT = _f.read()


def run(*args, data=None):
    return subprocess.run([QEL_CALC, *args], capture_output=True, timeout=30)


def with_setting(text, key, value):
    lines = text.splitlines(keepends=True)
    return "".join(f"{key} {value}\n" if line.split(" ")[0] == key else line for line in lines)


class Files(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def write(self, content, name="Qel.txt"):
        path = os.path.join(self.dir.name, name)
        mode = "wb" if isinstance(content, bytes) else "w"
        with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": ""})) as f:
            f.write(content)
        return path

    def missing(self):
        return os.path.join(self.dir.name, "no such file.txt")

    def state(self, path, *extra):
        result = run("state", path, *extra)
        self.assertEqual(result.returncode, 0, result.stderr)
        values = {}
        for line in result.stdout.decode("utf-8").splitlines():
            name, _, value = line.partition(" ")
            values[name] = [float(v) for v in value.split(" ")] if name == "focus_points" else float(value)
        return values

    def show(self, path, *extra):
        result = run("show", path, *extra)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.decode("utf-8").splitlines()


class StateTest(Files):
    def test_missing_file_gives_the_default_depth_of_field(self):
        s = self.state(self.missing())
        self.assertEqual(s["mode"], 0)
        self.assertEqual(s["units"], 3)
        self.assertAlmostEqual(s["hyperfocal"], 10634.4, delta=0.05)
        self.assertAlmostEqual(s["near"], 1097.9, delta=0.05)
        self.assertAlmostEqual(s["far"], 1370.6, delta=0.05)
        self.assertAlmostEqual(s["range"], 272.7, delta=0.05)
        self.assertAlmostEqual(s["coc"], 0.0314159, delta=1e-7)
        self.assertAlmostEqual(s["diffraction_limit"], 23.41, delta=0.005)
        self.assertEqual((s["camera_count"], s["camera_current"]), (1, 0))
        self.assertLess(s["maxblur_far"], 0)
        # Modes that did not run leave their results at 0.
        self.assertEqual(s["best_focus"], 0)
        self.assertEqual(s["focus_points"], [0, 0])

    def test_fields_come_in_the_contract_order(self):
        names = [line.split(" ")[0] for line in run("state", self.missing()).stdout.decode().splitlines()]
        self.assertEqual(names[:3], ["mode", "f_stop_increment", "focal_length"])
        self.assertEqual(names[names.index("ni") + 1], "effective_focal_length")
        self.assertEqual(names[names.index("macro_depth") + 1], "fl_low")
        self.assertEqual(names[-6:], ["camera_count", "camera_current", "coc", "diffraction_limit",
                                      "crop_factor", "megapixels"])
        self.assertEqual(len(names), len(set(names)))

    def test_best_f_stop_focuses_at_the_harmonic_mean(self):
        s = self.state(self.write(with_setting(DEFAULT_TEXT, "mode", 1)))
        n, f = 914.4, 1828.8
        self.assertAlmostEqual(s["best_focus"], 2 * n * f / (n + f), places=6)
        self.assertGreater(s["optimum_f_stop"], 0)

    def test_focus_stacking_spaces_points_evenly_in_reciprocal_distance(self):
        text = with_setting(with_setting(DEFAULT_TEXT, "mode", 2), "ni", 4)
        points = self.state(self.write(text))["focus_points"]
        self.assertEqual(len(points), 4)
        steps = [1 / points[i] - 1 / points[i + 1] for i in range(3)]
        for step in steps:
            self.assertAlmostEqual(step, steps[0], places=12)

    def test_blur_and_macro_modes_compute_their_results(self):
        blur = self.state(self.write(with_setting(DEFAULT_TEXT, "mode", 3)))
        self.assertGreater(blur["blur"], 1)  # the object at 6 ft lies beyond the far limit
        macro = self.state(self.write(with_setting(DEFAULT_TEXT, "mode", 4)))
        self.assertAlmostEqual(macro["magnification"], 36 / 20, places=12)
        self.assertGreater(macro["macro_depth"], 0)

    def test_any_bytes_load_without_a_crash(self):
        junk = [
            bytes(range(256)) * 40,
            b"\xef\xbb\xbfQel 1.0\r\nmode 9\r\nunits 7\r\nni -5\r\nend\r\n",
            b"Qel 1.0\n" + b"x " * 5000 + b"\nfocal_length 1" + b"9" * 400 + b"\nend\n",
            b"Qel 1.0\nncameras 1000 999\n" + b"camera 5 \"" + b"\xf0\x9f\x93\xb7" * 300 + b"\n",
            b"Qel 1.0\nfocal_length\nf_stop\ncamera 0\nend",
        ]
        for content in junk:
            path = self.write(content)
            for command in ("state", "show", "save"):
                result = run(command, path)
                self.assertEqual(result.returncode, 0, (content[:40], command, result.stderr))
                self.assertTrue(result.stdout)

    def test_a_folder_as_file_gives_the_defaults(self):
        self.assertAlmostEqual(self.state(self.dir.name)["hyperfocal"], 10634.4, delta=0.05)


class ShowTest(Files):
    def test_default_window(self):
        lines = self.show(self.missing())
        self.assertEqual(lines[0], "title: Qel 4.22 - Settings: Generic 35mm film camera (Sharp print)")
        self.assertIn("caption lens value: |50 mm|", lines)
        self.assertIn("caption aperture value: |f/8|", lines)
        self.assertIn("caption distance name: near|distance|far", lines)
        self.assertIn("caption details value: ||", lines)
        details = [line for line in lines if line.startswith("details")]
        self.assertEqual(details[0], "details: Hyperfocal: 34.9 ft")
        self.assertEqual(details[1], "details:")  # the gap row
        self.assertIn("details: Focus: 44% behind front", details)
        self.assertIn("details:   Diag: 3.46 ft (46.8°)", details)

    def test_captions_per_mode(self):
        expected = {
            1: ["caption distance name: near|distance|far", "caption distance value: 3 ft|4 ft|6 ft"],
            2: ["caption distance name: near|2|far", "caption distance value: 3 ft|images|6 ft"],
            3: ["caption distance name: focus at||distance", "caption distance value: 4 ft||6 ft"],
            4: ["caption lens name: |fov|", "caption lens value: |20 mm|",
                "caption distance name: magnification||dof"],
        }
        for mode, wanted in expected.items():
            lines = self.show(self.write(with_setting(DEFAULT_TEXT, "mode", mode)))
            for line in wanted:
                self.assertIn(line, lines, f"mode {mode}")

    def test_focus_stacking_lists_every_image(self):
        text = with_setting(with_setting(DEFAULT_TEXT, "mode", 2), "ni", 5)
        details = [l for l in self.show(self.write(text)) if l.startswith("details")]
        self.assertTrue(details[0].startswith("details: Near focus: "))
        self.assertEqual([l.split(":")[1] for l in details[1:6]], [f" Focus Point {i}" for i in range(1, 6)])
        self.assertEqual(details[1], "details: Focus Point 1: 3 ft")
        self.assertEqual(details[5], "details: Focus Point 5: 6 ft")

    def test_hidden_focus_line_prints_nothing(self):
        # Focus beyond the hyperfocal distance: back is infinite, so the Focus line is not drawn.
        details = [l for l in self.show(self.write(with_setting(DEFAULT_TEXT, "focus_at", "20000.00")))
                   if l.startswith("details")]
        self.assertEqual(details[4], "details: Range: ∞")
        self.assertEqual(details[5], "details:")
        self.assertFalse(any("behind front" in l for l in details))

    def test_comma_decimal_point(self):
        lines = self.show(self.missing(), "--decimal", ",")
        self.assertIn("details: Front: 0,398 ft", lines)
        self.assertIn("details:   Width: 2,88 ft (39,6°)", lines)


class SaveTest(Files):
    def expected_default_save(self):
        s = self.state(self.missing())
        text = with_setting(DEFAULT_TEXT, "near", f"{s['near']:.2f}")
        return with_setting(text, "far", f"{s['far']:.2f}")

    def test_missing_file_saves_the_defaults_with_the_first_recompute(self):
        result = run("save", self.missing())
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout.decode("utf-8"), self.expected_default_save())

    def test_saved_text_reloads_to_the_same_text(self):
        text = with_setting(with_setting(DEFAULT_TEXT, "mode", 2), "far_limit", "\u22121.00")
        first = run("save", self.write(text)).stdout
        second = run("save", self.write(first, "again.txt")).stdout
        self.assertEqual(first, second)
        self.assertIn("far_limit \u22121.00\n", first.decode("utf-8"))

    def test_comma_decimal_point_is_written_and_read(self):
        saved = run("save", self.missing(), "--decimal", ",").stdout.decode("utf-8")
        self.assertIn("focal_length 50,00\n", saved)
        reread = self.state(self.write(saved))
        self.assertEqual(reread["focal_length"], 50)
        self.assertEqual(reread["teleconverter"], 1)


class UsageTest(unittest.TestCase):
    def test_usage_errors_exit_2_with_one_line(self):
        for args in ([], ["state"], ["frobnicate", "x"], ["show", "a", "b"], ["save", "x", "--decimal"],
                     ["save", "x", "--decimal", ""], ["save", "x", "--decimal", "ab"]):
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertEqual(len(result.stderr.decode().strip().splitlines()), 1, args)

    def test_help(self):
        result = run("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn(b"usage: qel-calc", result.stdout)


if __name__ == "__main__":
    unittest.main()
