#!/usr/bin/env python3
"""Builds the two user manuals and checks the numbers they quote.

The Markdown sources never hold a computed number literally. They hold placeholders that are
filled in from qel-calc, run on the settings files in docs/examples/, so the manuals always quote
what the program computes:

  {{state:FILE:EXPR:FMT}}   EXPR over the values `qel-calc state FILE` prints (and the symbols
                            below), printed with the printf-style FMT, e.g.
                            {{state:examples/dof.txt:hyperfocal/1000:%.2f}}
  {{show:FILE:KEY}}         a text the program shows: a details-panel line by its label
                            ("Hyperfocal", "Focus Point 2", "Width"), "title", or a caption
                            with the index of its left/centre/right part
                            ("caption distance value#0")
  {{file:FILE}}             the text of a file (an example settings file)
  {{card:FILE:ARGS}}        a field card as Markdown: `qel-calc ARGS` with FILE after the command
                            and --format markdown ("table --apertures 4,8 --distances 3,inf"),
                            without its title line
  {{stack:FILE:ARGS:KEY}}   a line of the plan `qel-calc stack FILE ARGS` prints, by its label
                            ("Images", "Blur between images")
  {{refusal:FILE:ARGS}}     the one line with which `qel-calc ARGS` (with FILE after the command)
                            refuses to print anything; an error if it prints
  {{version}}               the program's version

FILE may name a camera of the example file as FILE@NAME: the file as if that camera were current.

Symbols in EXPR besides the state names: f (effective focal length), N (effective f-number),
s (focus distance), m = f / (s - f) (the magnification there; 0 at infinity), Ne = N (1 + m)
(the f-number the sensor sees), c (circle of confusion), t (allowed blur), lam (wavelength, nm),
G = 500000 / (1.22 lam), W and H (frame size, mm), and the camera's inputs under their field
names (frame_width_px, film_resolution, allowable_blur, print_size, ...); sqrt, atan, tan,
hypot, log2, degrees, radians, pi, round; at(FILE, NAME) is a value of another example file.

  manuals.py check --qel-calc PATH             every placeholder resolves, every example file is
                                               exactly what Qel would save, and the formulas the
                                               reference manual gives reproduce the program; with
                                               pandoc, the HTML too: every cross-reference names
                                               its section and page, the settings file's words are
                                               code and the screen's labels labels, and every index
                                               term's explaining section exists and mentions it
  manuals.py build --qel-calc PATH --out DIR [--html DIR]
                                               check, then write the two PDFs into DIR (and keep
                                               the HTML WeasyPrint printed)
"""
import argparse
import importlib.util
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

DOCS = os.path.dirname(os.path.abspath(__file__))

# Source, PDF name, and how pandoc makes the HTML of it.
MANUALS = [
    ("quick-start.md", "Qel Quick Start.pdf", []),
    ("reference-manual.md", "Qel Reference Manual.pdf",
     ["--toc", "--toc-depth=2", "--number-sections"]),
]

PLACEHOLDER = re.compile(r"\{\{(.*?)\}\}")

# The camera line of a settings file: token positions of each input (after "camera", index, name).
CAMERA_FIELDS = [
    ("coc_method", int), ("type", int), ("frame_width_mm", float), ("frame_width_px", int),
    ("frame_height_mm", float), ("frame_height_px", int), ("film_resolution", float),
    ("custom_coc", float), ("allowable_blur", float), ("visual_resolution", float),
    ("print_size", float), ("viewing_distance", float), ("wavelength", float),
    ("focal_length_entry", int),
]

# The hyperfocal distance with the Airy disk of its own focus (d0 = N / G, the disk at infinity),
# and h = f^2 / (c_e N) with c_e from the Airy disk at the focus distance s.
HYPERFOCAL = ("f + f * ((N/G)**2 + sqrt((N/G)**2 * (c*t)**2 + f**2 * ((c*t)**2 - (N/G)**2) / N**2))"
              " / ((c*t)**2 - (N/G)**2)")
H_AT_FOCUS = "(f**2 / (sqrt((c*t)**2 - (Ne/G)**2) * N))"

# The formulas of the reference manual, written the way the manual writes them, evaluated on the
# example files and compared with what the program computes. (file, formula, program's value)
FORMULA_CHECKS = [
    # Circle of confusion, one per method.
    ("examples/coc-print.txt",
     "frame_width_mm * allowable_blur / (print_size / (tan(radians(visual_resolution / 60)) * viewing_distance))",
     "coc"),
    ("examples/coc-digital.txt", "frame_width_mm * allowable_blur / frame_width_px", "coc"),
    ("examples/coc-film.txt", "allowable_blur * 0.5 / film_resolution", "coc"),
    ("examples/coc-custom.txt", "custom_coc", "coc"),
    ("examples/coc-print.txt", "c * G", "diffraction_limit"),
    ("examples/coc-digital.txt", "c * G", "diffraction_limit"),
    ("examples/coc-digital.txt", "hypot(36, 24) / hypot(W, H)", "crop_factor"),
    ("examples/coc-digital.txt", "frame_width_px * frame_height_px / 1e6", "megapixels"),
    ("examples/coc-film.txt", "W * H * (2 * film_resolution) ** 2 / 1e6", "megapixels"),
    # Depth of field, diffraction at the f-number the sensor sees.
    ("examples/dof.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " + s - f)", "near"),
    ("examples/dof.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " - s + f)", "far"),
    ("examples/dof.txt", "s - near", "front"),
    ("examples/dof.txt", "far - s", "back"),
    ("examples/dof.txt", "f / (s - f)", "magnification"),
    # Focused at the hyperfocal distance, the blur of infinity and the Airy disk there make c'.
    ("examples/dof.txt", "hypot(f**2 / (N * (hyperfocal - f)), N * hyperfocal / (hyperfocal - f) / G)", "c * t"),
    # The third stop nearest the best aperture, which the best f-stop tip names (f/14 = 2^(26/6 - 1/2)).
    ("examples/best.txt", "2 ** (26/6 - 1/2)", "2 ** (round((log2(optimum_f_stop) + 1/2) * 6) / 6 - 1/2)"),
    ("examples/dof.txt", "W * (s - f) / f", "field_width"),
    ("examples/dof.txt", "degrees(2 * atan(W / (2 * f * s / (s - f))))", "angle_width"),
    ("examples/dof-infinity.txt", "degrees(2 * atan(W / (2 * f)))", "angle_width"),
    ("examples/dof-digital.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof-digital.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " + s - f)", "near"),
    ("examples/dof-digital.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " - s + f)", "far"),
    ("examples/dof-film.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof-infinity.txt", "f**2 / (sqrt((c*t)**2 - (N/G)**2) * N)", "near"),
    ("examples/dof-infinity.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof-crop.txt", "focal_length / crop_factor", "effective_focal_length"),
    # A life-size shot in depth of field mode: the close-up depth but for 1 / (1 - (c_e N / (m f))^2).
    ("examples/dof-macro.txt",
     "2 * N * sqrt((c*t)**2 - (Ne/G)**2) * (m + 1) / m**2 / (1 - (sqrt((c*t)**2 - (Ne/G)**2) * N / (m * f))**2)",
     "range"),
    # Blur.
    ("examples/blur.txt",
     "hypot(f**2 * abs(s - blur_distance) / (N * blur_distance * (s - f)), Ne / G) / c", "blur"),
    # Best f-stop.
    ("examples/best.txt", "2 * near_limit * far_limit / (near_limit + far_limit)", "best_focus"),
    ("examples/best.txt",
     "f * sqrt(G * (best_focus - near_limit) / (near_limit * best_focus))",
     "optimum_f_stop"),
    ("examples/best.txt",
     "hypot(f**2 * (best_focus - near_limit) / (optimum_f_stop * near_limit * (best_focus - f)),"
     " optimum_f_stop * best_focus / (best_focus - f) / G) / c",
     "optimum_blur"),
    ("examples/best.txt", "sqrt(2) * optimum_f_stop * best_focus / ((best_focus - f) * G * c)", "optimum_blur"),
    # Focus stacking.
    ("examples/stack-close.txt", "near_limit / (1 - (1 - near_limit / far_limit) * 1 / (ni - 1))",
     "focus_points[1]"),
    ("examples/stack-close.txt", "near_limit / (1 - (1 - near_limit / far_limit) * 7 / (ni - 1))",
     "focus_points[7]"),
    ("examples/stack.txt", "near_limit / (1 - 3 / (ni - 1))", "focus_points[3]"),
    ("examples/stack.txt",
     "f * sqrt(G * (2*focus_points[0]*focus_points[1] / (focus_points[0] + focus_points[1])"
     " - focus_points[0]) / (focus_points[0] * (2*focus_points[0]*focus_points[1]"
     " / (focus_points[0] + focus_points[1]))))",
     "optimum_f_stop"),
    ("examples/stack.txt",
     "near_limit * (f**2 / (optimum_f_stop * c)) / (near_limit + f**2 / (optimum_f_stop * c) - f)",
     "stack_near"),
    ("examples/stack-close.txt",
     "far_limit * (f**2 / (optimum_f_stop * c)) / (f**2 / (optimum_f_stop * c) - far_limit + f)",
     "stack_far"),
    ("examples/stack-infinity.txt", "near_limit / (1 - 1 / (ni - 1))", "focus_points[1]"),
    # Macro.
    ("examples/macro.txt", "W / fov", "magnification"),
    ("examples/macro.txt", "N * (magnification + 1)", "macro_effective_f_stop"),
    ("examples/macro.txt",
     "2 * N * sqrt((c*t)**2 - (N * (magnification + 1) / G)**2) * (magnification + 1) / magnification**2",
     "macro_depth"),
    ("examples/macro-half.txt", "f_stop * teleconverter * (W / fov + 1)", "macro_effective_f_stop"),
    ("examples/macro-half.txt",
     "2 * N * sqrt((c*t)**2 - (N * (magnification + 1) / G)**2) * (magnification + 1) / magnification**2",
     "macro_depth"),
    # Macro: the depth of field ends at the next half stop after f/4 at life size.
    ("examples/macro-stop.txt", "f_stop", "4 * 2 ** 0.25"),
    ("examples/macro-stop.txt", "at('examples/macro.txt', 'macro_depth') > 0 and macro_depth == 0", "True"),
    ("examples/macro-stop.txt", "N * (magnification + 1) / G > c * t", "True"),
    # The best aperture's nearest third stop (f/14) and a whole third stop off it, each seen in
    # blur mode at the near limit with the best focus.
    ("examples/best-stop.txt", "f_stop", "2 ** (23/6)"),
    ("examples/best-third.txt", "f_stop", "at('examples/best.txt', 'optimum_f_stop') * 2 ** (1/6)"),
    ("examples/best-stop.txt", "(focus_at, blur_distance)",
     "(at('examples/best.txt', 'best_focus'), at('examples/best.txt', 'near_limit'))"),
    ("examples/best-third.txt", "(focus_at, blur_distance)",
     "(at('examples/best.txt', 'best_focus'), at('examples/best.txt', 'near_limit'))"),
    # The generic camera's CoC is close to the classic 1/1440 of the frame's diagonal.
    ("examples/formats.txt@Full frame", "abs(c / (hypot(W, H) / 1440) - 1) < 0.05", "True"),
    ("examples/formats.txt@Full frame, print, blur 1", "c * 2", "at('examples/formats.txt@Full frame', 'c')"),
    # The ends of the distance scale.
    ("examples/dof.txt", "f**2 * s / (f**2 + maxblur * N * c * (s - f))", "maxblur_near"),
    ("examples/dof.txt",
     "f**2 * s / (f**2 - maxblur * N * c * (s - f)) if f**2 > maxblur * N * c * (s - f) else -1",
     "maxblur_far"),
    ("examples/dof.txt", "f**2 - maxblur * N * c * (s - f) < 0", "maxblur_far < 0"),
    ("examples/macro.txt", "maxblur * c * N * (magnification + 1) / magnification**2", "maxblur_far"),
]


class ManualError(Exception):
    pass


class Examples:
    """Runs qel-calc once per example file and keeps what it printed."""

    def __init__(self, qel_calc, workdir):
        self.qel_calc = qel_calc
        self.workdir = workdir
        self.copies = {}
        self.states = {}
        self.shows = {}
        self.plans = {}

    def _path(self, name):
        """The file qel-calc reads for `name`: the example file itself, or for "FILE@CAMERA" a copy
        of it with that camera current."""
        name, at_sign, camera = name.partition("@")
        path = os.path.join(DOCS, name)
        if not os.path.isfile(path):
            raise ManualError(f"no example file {name}")
        if not at_sign:
            return path
        if camera not in self.copies.setdefault(name, {}):
            with open(path, encoding="utf-8", newline="") as f:
                lines = f.read().split("\n")
            names = [line.partition(' "')[2].partition('"')[0] for line in lines if line.startswith("camera ")]
            if camera not in names:
                raise ManualError(f"{name} has no camera {camera!r}")
            count = next(line for line in lines if line.startswith("ncameras ")).split()[1]
            lines = [f"ncameras {count} {names.index(camera)}" if line.startswith("ncameras ") else line
                     for line in lines]
            copy = os.path.join(self.workdir, f"{len(self.copies[name])}-{os.path.basename(name)}")
            with open(copy, "w", encoding="utf-8", newline="") as f:
                f.write("\n".join(lines))
            self.copies[name][camera] = copy
        return self.copies[name][camera]

    def _run(self, command, name, *options, refused=False):
        result = subprocess.run([self.qel_calc, command, self._path(name), *options], capture_output=True,
                                timeout=60)
        if refused:
            if result.returncode == 0 or result.stdout:
                raise ManualError(f"qel-calc {command} {name} {' '.join(options)} was not refused")
            return result.stderr.decode("utf-8").strip()
        if result.returncode != 0:
            raise ManualError(f"qel-calc {command} {name} failed: {result.stderr.decode()}")
        return result.stdout.decode("utf-8")

    def state(self, name):
        if name not in self.states:
            values = {}
            for line in self._run("state", name).splitlines():
                key, _, rest = line.partition(" ")
                numbers = [float(x) for x in rest.split()]
                values[key] = numbers if key == "focus_points" else numbers[0]
            values.update(self._camera(name))
            lam = values["wavelength"]
            f, s = values["effective_focal_length"], values["focus_at"]
            m = f / (s - f) if s >= 0 else 0
            values.update(
                f=f, N=values["effective_f_stop"], s=s, m=m, Ne=values["effective_f_stop"] * (1 + m),
                c=values["coc"], t=values["blur_threshold"], lam=lam,
                G=500000 / (1.22 * lam), W=values["frame_width_mm"], H=values["frame_height_mm"])
            self.states[name] = values
        return self.states[name]

    def _camera(self, name):
        # The current camera's inputs, from the file as Qel would save it (cameras in name order).
        saved = self._run("save", name)
        current = 0
        cameras = {}
        for line in saved.splitlines():
            if line.startswith("ncameras "):
                current = int(line.split()[2])
            elif line.startswith("camera "):
                head, quote, rest = line.partition(' "')
                name_text, _, tail = rest.partition('" ')
                tokens = tail.split()
                cameras[int(head.split()[1])] = {
                    key: kind(tokens[i].replace("\u2212", "-"))
                    for i, (key, kind) in enumerate(CAMERA_FIELDS) if i < len(tokens)}
        if current not in cameras:
            raise ManualError(f"{name}: no current camera")
        return cameras[current]

    def show(self, name):
        if name not in self.shows:
            texts = {}
            for line in self._run("show", name).splitlines():
                key, _, value = line.partition(":")
                value = value[1:] if value.startswith(" ") else value
                if key == "details":
                    label, sep, rest = value.strip().partition(": ")
                    if sep:
                        texts[label] = rest
                else:
                    texts[key] = value
            self.shows[name] = texts
        return self.shows[name]

    def saved_text(self, name):
        return self._run("save", name)

    def plan(self, name, arguments, key):
        """A line of the text `qel-calc stack FILE ARGS` prints ("Images: 13"), by its label."""
        if (name, arguments) not in self.plans:
            lines = self._run("stack", name, *arguments.split()).splitlines()
            self.plans[name, arguments] = dict(line.split(": ", 1) for line in lines if ": " in line)
        plan = self.plans[name, arguments]
        if key not in plan:
            raise ManualError(f"qel-calc stack {name} {arguments} prints no {key!r}")
        return plan[key]

    def refusal(self, name, arguments):
        """What qel-calc says when it refuses ARGS, without its "qel-calc: " prefix."""
        command, *rest = arguments.split()
        message = self._run(command, name, *rest, refused=True)
        return message.removeprefix("qel-calc: ")

    def card(self, name, arguments):
        command, *rest = arguments.split()
        if command not in ("table", "stack"):
            raise ManualError(f"card of {command!r}: table or stack")
        text = self._run(command, name, *rest, "--format", "markdown")
        return text.split("\n", 2)[2].rstrip("\n")  # the title heading and the blank line after it


MATH = {name: getattr(math, name) for name in
        ("sqrt", "atan", "tan", "hypot", "log2", "degrees", "radians", "pi")}
MATH["abs"] = abs
MATH["round"] = round


def evaluate(expression, values, examples=None):
    names = {**MATH, **values}
    if examples is not None:  # at(FILE, NAME): a value of another example file
        names["at"] = lambda name, key: examples.state(name)[key]
    try:
        return eval(expression, {"__builtins__": {}}, names)  # noqa: S307
    except Exception as error:  # the message names the expression that failed
        raise ManualError(f"cannot evaluate {expression!r}: {error}") from None


def fill(placeholder, examples, version):
    parts = placeholder.split(":")
    kind = parts[0]
    if kind == "version" and len(parts) == 1:
        return version
    if kind == "state" and len(parts) >= 4:
        name, expression, form = parts[1], ":".join(parts[2:-1]), parts[-1]
        value = evaluate(expression, examples.state(name), examples)
        try:
            return form % value
        except (TypeError, ValueError) as error:
            raise ManualError(f"bad format {form!r}: {error}") from None
    if kind == "file" and len(parts) == 2:
        path = os.path.join(DOCS, parts[1])
        if not os.path.isfile(path):
            raise ManualError(f"no file {parts[1]}")
        with open(path, encoding="utf-8", newline="") as f:
            return f.read().rstrip("\n")
    if kind == "card" and len(parts) == 3:
        return examples.card(parts[1], parts[2])
    if kind == "stack" and len(parts) == 4:
        return examples.plan(parts[1], parts[2], parts[3])
    if kind == "refusal" and len(parts) == 3:
        return examples.refusal(parts[1], parts[2])
    if kind == "show" and len(parts) == 3:
        name, key = parts[1], parts[2]
        key, hash_sign, index = key.partition("#")
        texts = examples.show(name)
        if key not in texts:
            raise ManualError(f"{name} shows no {key!r}")
        text = texts[key]
        if hash_sign:
            pieces = text.split("|")
            if not index.isdigit() or int(index) >= len(pieces):
                raise ManualError(f"{key} has no part {index}")
            text = pieces[int(index)]
        if text == "":
            raise ManualError(f"{name}: {key} is empty")
        return text
    raise ManualError(f"unknown placeholder {{{{{placeholder}}}}}")


def expand(text, examples, version, where):
    errors = []

    def replace(match):
        try:
            return fill(match.group(1), examples, version)
        except ManualError as error:
            line = text.count("\n", 0, match.start()) + 1
            errors.append(f"{where}:{line}: {error}")
            return match.group(0)

    result = PLACEHOLDER.sub(replace, text)
    return result, errors


def check_examples(examples):
    errors = []
    folder = os.path.join(DOCS, "examples")
    for entry in sorted(os.listdir(folder)):
        if not entry.endswith(".txt"):
            continue
        name = f"examples/{entry}"
        with open(os.path.join(DOCS, name), encoding="utf-8", newline="") as f:
            text = f.read()
        if examples.saved_text(name) != text:
            errors.append(f"{name}: not exactly the file Qel saves after loading it "
                          f"(regenerate it with qel-calc save)")
    return errors


def check_formulas(examples):
    errors = []
    for name, formula, key in FORMULA_CHECKS:
        try:
            values = examples.state(name)
            mine = evaluate(formula, values, examples)
            program = evaluate(key, values, examples)
        except ManualError as error:
            errors.append(f"{name}: {error}")
            continue
        pairs = zip(mine, program) if isinstance(mine, tuple) and isinstance(program, tuple) else [(mine, program)]
        if not all(math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-12) for a, b in pairs):
            errors.append(f"{name}: {formula} gives {mine!r}, the program's {key} is {program!r}")
    return errors


def check_images(text, where):
    errors = []
    for match in re.finditer(r"!\[[^\]]*\]\(([^)\s]+)", text):
        if not os.path.isfile(os.path.join(DOCS, match.group(1))):
            errors.append(f"{where}: missing image {match.group(1)}")
    return errors


def expanded_manuals(examples, version):
    """The expanded Markdown of each manual and every error found on the way."""
    results, errors = [], []
    for source, pdf, options in MANUALS:
        with open(os.path.join(DOCS, source), encoding="utf-8") as f:
            text = f.read()
        expanded, found = expand(text, examples, version, source)
        errors += found + check_images(text, source)
        results.append((pdf, options, expanded))
    return results, errors


def project_version():
    with open(os.path.join(DOCS, "..", "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"project\(\s*Qel\s+VERSION\s+([0-9.]+)", f.read())
    if not match:
        raise ManualError("no project version in CMakeLists.txt")
    return match.group(1)


HEADING_ID = re.compile(r'<(?:section|h[1-6])\b[^>]*?\bid="([^"]+)"[^>]*>', re.S)
DATA_NUMBER = re.compile(r'\bdata-number="([^"]+)"')
# Pandoc may break a line between "<a" and "href" when it wraps the HTML.
INTERNAL_LINK = re.compile(r'<a\s+href="#([^"]+)"\s*>')
ANY_LINK = re.compile(r'<a\b([^>]*)>', re.S)
LINK_TARGET = re.compile(r'\bhref="#([^"]+)"')


def heading_numbers(html):
    """Every heading's id and its section number ("" for an unnumbered heading)."""
    numbers = {}
    for match in HEADING_ID.finditer(html):
        number = DATA_NUMBER.search(match.group(0))
        numbers[match.group(1)] = number.group(1) if number else ""
    return numbers


def mark_cross_references(html):
    """Gives every link to a heading in the body the heading's section number (data-section), so
    that the stylesheet writes ", section 3.2, page 14" after it; the page comes from WeasyPrint's
    target-counter. The contents list keeps its own page numbers."""
    numbers = heading_numbers(html)
    start = html.find("<main>")
    if start < 0:
        return html

    def link(match):
        target = match.group(1)
        if target not in numbers:
            return match.group(0)
        number = numbers[target]
        section = f' data-section="{number}"' if number else ""
        return f'<a class="xref" href="#{target}"{section}>'

    return html[:start] + INTERNAL_LINK.sub(link, html[start:])


def check_cross_references(html):
    """A link in the body to nothing, or to a heading but printed without the heading's section
    (if it has a number) and page."""
    numbers = heading_numbers(html)
    ids = set(re.findall(r'\bid="([^"]+)"', html))
    errors = []
    start = html.find("<main>")
    for match in ANY_LINK.finditer(html, max(start, 0)):
        attributes = match.group(1)
        target = LINK_TARGET.search(attributes)
        if target and target.group(1) not in ids:
            errors.append(f"the cross-reference to #{target.group(1)} points to nothing")
        if not target or target.group(1) not in numbers:
            continue
        number = numbers[target.group(1)]
        marked = 'class="xref"' in attributes and (not number or f'data-section="{number}"' in attributes)
        if not marked:
            errors.append(f"the cross-reference to #{target.group(1)} prints without its "
                          f"{'section and ' if number else ''}page")
    return errors


# The Reference Manual's index: the term, the pattern of its mentions (None: the term itself,
# plurals too, without regard to case), the section that explains it, and further sections that
# treat it. Its entry lists first the page where the explaining section mentions it, then the
# pages of the first mention in each further section and in each other chapter.
INDEX = [
    ("35 mm equivalent", r"35 ?mm[- ]equivalents?", "mm-equivalent-focal-lengths", []),
    ("Airy disk", None, "diffraction-and-the-combined-blur", []),
    ("allowable blur", None, "how-the-circle-of-confusion-is-derived", ["choosing-the-coc"]),
    ("allowed blur", None, "the-blur-scale", ["choosing-the-coc"]),
    ("aperture scale", None, "the-aperture-scale", []),
    ("backup", None, "where-it-is", []),
    ("best aperture", None, "best-f-stop", ["best-focus-and-best-aperture"]),
    ("best f-stop", None, "best-f-stop", []),
    ("best focus", None, "best-f-stop", ["best-focus-and-best-aperture"]),
    ("blur colours", None, "blur-colours", []),
    ("blur mode", None, "blur", []),
    ("blur scale", None, "the-blur-scale", []),
    ("blur strip", None, "the-distance-column", []),
    ("browser", None, "qel-in-a-browser", []),
    ("camera dialog", None, "the-camera-dialog", []),
    ("circle of confusion", None, "how-the-circle-of-confusion-is-derived", ["choosing-the-coc"]),
    ("Command Prompt", None, "qel-calc.exe-on-windows", []),
    ("CoC", r"CoCs?", "choosing-the-coc", ["how-the-circle-of-confusion-is-derived"]),
    ("contour ticks", None, "the-distance-column", []),
    ("crop factor", None, "derived-values", ["choosing-the-coc", "mm-equivalent-focal-lengths"]),
    ("Custom CoC", None, "how-the-circle-of-confusion-is-derived", []),
    ("decimal separator", r"decimal (?:separator|comma|point)s?", "how-distances-are-written", []),
    ("depth of field", None, "depth-of-field", ["depth-of-field-1"]),
    ("details panel", None, "window-size-and-screens", []),
    ("diffraction", None, "diffraction-and-the-combined-blur", []),
    ("diffraction limit", None, "derived-values", []),
    ("distance column", None, "the-distance-column", []),
    ("effective f-number", None, "diffraction-and-the-combined-blur", []),
    ("f-stop increments", None, "f-stop-increments-menu", []),
    ("far limit", None, "depth-of-field-1", []),
    ("field card", None, "field-cards", []),
    ("field of view", None, "field-of-view-and-magnification", []),
    ("focus stacking", None, "focus-stacking", ["focus-stacking-1"]),
    ("frame size", r"frame sizes?", "choosing-the-coc", ["the-fields"]),
    ("hyperfocal distance", None, "depth-of-field-1", ["depth-of-field"]),
    ("infinity", None, "the-distance-column", []),
    ("keyboard", None, "the-keyboard", []),
    ("lens scale", None, "the-lens-scale", []),
    ("macro mode", None, "macro", ["macro-depth-of-field"]),
    ("magnification", None, "field-of-view-and-magnification", ["macro"]),
    ("minimum window size", r"smallest window|minimum window", "window-size-and-screens", []),
    ("near limit", None, "depth-of-field-1", []),
    ("offline", None, "qel-in-a-browser", []),
    ("phone", r"phones?", "screens-and-layout", ["touch"]),
    ("popup help", None, "toolbars", ["touch"]),
    ("qel-calc", None, "field-cards", ["qel-calc.exe-on-windows"]),
    ("Reset Scales", None, "help-menu", []),
    ("re-centres", None, "the-distance-column", []),
    ("settings file", None, "the-settings-file", []),
    ("Sharp Image", "Sharp Image", "how-the-circle-of-confusion-is-derived", ["choosing-the-coc"]),
    ("Sharp Print", "Sharp Print", "how-the-circle-of-confusion-is-derived", ["choosing-the-coc"]),
    ("snapping", None, "snapping", []),
    ("teleconverter", None, "teleconverter-menu", []),
    ("touch", r"touch|fingers?", "qel-in-a-browser", []),
    ("units menu", None, "units-menu", []),
    ("wavelength", None, "the-fields", ["derived-values"]),
    ("zoom", None, "the-lens-scale", []),
]
TAG_OR_TEXT = re.compile(r"(<[^>]+>)")
SECTION_HEADING = re.compile(r'<h([1-3])\b[^>]*?\bid="([^"]+)"', re.S)
NOT_INDEXED = ("h1", "h2", "h3", "h4", "a", "nav", "th", "pre")  # headings, links, table headings, listings


def index_pattern(term, pattern):
    """The mentions of a term; a space in it also matches the line break pandoc may put there."""
    if pattern is None:
        pattern = re.escape(term).replace("\\ ", " ") + "s?"
        return re.compile(r"(?<![\w-])" + pattern.replace(" ", r"\s+") + r"(?![\w-])", re.I)
    return re.compile(r"(?<![\w-])(?:" + pattern.replace(" ", r"\s+") + r")(?![\w-])")


def add_index_anchors(html):
    """Anchors the mentions of the index terms in <main> (outside headings, links and table
    headings) and puts the index's place after the last chapter: a page of its own, which the
    index replaces once the pages of the mentions are known (see render). Returns the HTML, the
    index's entries (each term with the ids of its mentions, the explaining one first) and the
    errors found: a term whose explaining section is missing or does not mention it."""
    start = html.find("<main>")
    end = html.find("</main>")
    if start < 0 or end < 0:
        return html, [], ["no <main> to index"]
    chapter_of = {}
    chapter = 0
    for match in SECTION_HEADING.finditer(html, start, end):
        chapter += match.group(1) == "1"
        chapter_of[match.group(2)] = chapter
    errors = []
    terms = []
    for term, pattern, defining, further in INDEX:
        sections = [defining, *further]
        for section in sections:
            if section not in chapter_of:
                errors.append(f"index: the section {section!r} that treats {term!r} is missing")
        terms.append((term, index_pattern(term, pattern), sections, {chapter_of.get(x) for x in sections}))
    anchors = [dict() for _ in INDEX]  # per term: section id or chapter number -> (position, anchor)
    open_sections = {}  # heading level -> id
    chapter = 0
    skip = []
    pieces = TAG_OR_TEXT.split(html[start:end])
    for i, piece in enumerate(pieces):
        if piece.startswith("<"):
            tag = re.match(r"</?([a-zA-Z0-9]+)", piece)
            name = tag.group(1).lower() if tag else ""
            heading = SECTION_HEADING.match(piece)
            if heading:
                level = int(heading.group(1))
                open_sections = {k: v for k, v in open_sections.items() if k < level}
                open_sections[level] = heading.group(2)
                chapter += level == 1
            if name in NOT_INDEXED:
                if piece.startswith("</"):
                    if name in skip:
                        skip.remove(name)
                else:
                    skip.append(name)
            continue
        if skip or not piece.strip():
            continue
        # Each term wants a mention here if this is a section that treats it, or the first mention
        # in a chapter without such a section; the longest of overlapping mentions wins.
        wanted = []
        for t, (term, pattern, sections, chapters) in enumerate(terms):
            key = next((x for x in open_sections.values() if x in sections), None)
            if key is None and chapter not in chapters:
                key = chapter
            if key is None or key in anchors[t]:
                continue
            for match in pattern.finditer(piece):
                wanted.append((match.start(), -match.end(), t, key))
        taken = []
        for begin, minus_end, t, key in sorted(wanted):
            finish = -minus_end
            if key in anchors[t] or any(begin < e and b < finish for b, e, _ in taken):
                continue
            anchor = f"ix-{t}-{len(anchors[t])}"
            anchors[t][key] = ((i, begin), anchor)
            taken.append((begin, finish, anchor))
        for begin, finish, anchor in sorted(taken, reverse=True):
            piece = f'{piece[:begin]}<span id="{anchor}">{piece[begin:finish]}</span>{piece[finish:]}'
        pieces[i] = piece
    titles = {match.group(2): re.sub(r"<[^>]+>", "", match.group(3))
              for match in re.finditer(r'<h([1-3])\b[^>]*?\bid="([^"]+)"[^>]*>(.*?)</h\1>', html[start:end], re.S)}
    entries = []
    for t, (term, pattern, sections, _) in enumerate(terms):
        found = anchors[t]
        defining = sections[0]
        if defining in chapter_of and defining not in found:
            if pattern.search(titles.get(defining, "")):  # named by its heading alone
                found[defining] = ((0, 0), defining)
            else:
                errors.append(f"index: the section {defining!r} that explains {term!r} does not mention it")
        first = [found[defining][1]] if defining in found else []
        rest = [anchor for key, (_, anchor) in sorted(found.items(), key=lambda item: item[1][0])
                if key != defining]
        if first or rest:
            entries.append((term, first + rest))
    html = (html[:start] + "".join(pieces) + '<div id="index" class="index-place"></div>\n' + html[end:])
    # The contents list ends with the index.
    toc_end = html.find("</nav>")
    last_list = html.rfind("</ul>", 0, toc_end)
    if toc_end >= 0 and last_list >= 0:
        html = html[:last_list] + '<li><a href="#index">Index</a></li>\n' + html[last_list:]
    return html, entries, errors


def index_html(entries, pages, first_page, manual):
    """The index as a document of its own: each term with the pages of its mentions, the page
    that explains it first (in bold), then the others in order, each page once."""
    lines = []
    for term, anchors in sorted(entries, key=lambda entry: entry[0].lower()):
        links = []
        seen = set()
        for n, anchor in enumerate(anchors):
            page = pages.get(anchor)
            if page is None or page in seen:
                continue
            seen.add(page)
            number = f"<strong>{page}</strong>" if n == 0 else str(page)
            links.append((n != 0, page, f'<a href="#{anchor}">{number}</a>'))
        links.sort(key=lambda link: (link[0], link[1] if link[0] else 0))
        lines.append(f'<p><span class="term">{term}</span> {", ".join(link for *_, link in links)}</p>')
    style = (f'@page :first {{ counter-reset: page {first_page};'
             f' @top-left {{ content: "{manual}"; }} @top-right {{ content: "Index"; }}'
             f' @bottom-center {{ content: counter(page); }} }}'
             f' @page {{ @top-left {{ content: "{manual}"; }} @top-right {{ content: "Index"; }} }}')
    return (f'<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><style>{style}</style></head>'
            f'<body class="reference"><main><h1 id="index" class="unnumbered">Index</h1>'
            f'<div class="index">\n' + "\n".join(lines) + "\n</div></main></body></html>")


INLINE_CODE = re.compile(r"<code>([^<]*)</code>")
# Code: names with an underscore, commands and what is typed at a Command Prompt, options, file
# names and paths, the settings file's header and its exact-value mark.
CODE_LIKE = re.compile(r"_|^qel|^(cmd|cd|chcp|start)\b|^--|\.(txt|pdf|exe|html)\b|\\|%|^Qel 1\.0$|^x$|^\{\{"
                       r"|^(FILE|inf|text|csv|markdown|html)$|^[\d.]+(,[\d.]+)+$")
SETTINGS_CHAPTER = 'id="the-settings-file"'
LISTING_BEFORE = re.compile(r"<pre[^>]*>\s*$")


def mark_ui_labels(html, settings_words=(), screen_texts=()):
    """Inline code that names something on the screen (a button, menu item, dialog field, caption
    or reading) is set as a label in the body font; file names, commands, options and the settings
    file's own words (those the screen does not show too, as it shows "near") stay code. In the
    settings file's chapter every inline code is the file's."""
    start = html.find("<main>")
    settings = html.find(SETTINGS_CHAPTER, start)
    settings_end = html.find("<h1", settings + 1) if settings >= 0 else -1

    def label(match):
        at = match.start()
        if at < start:
            return match.group(0)
        in_settings_chapter = settings >= 0 and settings <= at and (settings_end < 0 or at < settings_end)
        text = match.group(1)
        in_listing = LISTING_BEFORE.search(html, max(at - 80, 0), at) is not None
        file_word = text in settings_words and text not in screen_texts
        if in_settings_chapter or in_listing or file_word or CODE_LIKE.search(text):
            return match.group(0)
        return f'<span class="ui">{text}</span>'

    return INLINE_CODE.sub(label, html)


def screen_labels(examples):
    """The texts the program shows as menu items, popup help and camera dialog fields and
    buttons, as its sources write them, and the names of its columns' captions."""
    labels = set()
    for entry in os.listdir(os.path.join(DOCS, "examples")):
        for key, text in examples.show(f"examples/{entry}").items():
            if key.startswith("caption ") and key.endswith(" name"):
                labels.update(part for part in text.split("|") if part)
    for source, literal in (("app/menus.cpp", r'u"((?:[^"\\]|\\.)+)"'), ("app/toolbars.cpp", r'u"((?:[^"\\]|\\.)+)"'),
                            ("resources/camera_dialog.rc", r'^\s*(?:LTEXT|PUSHBUTTON|CAPTION)\s+"([^"]+)"')):
        with open(os.path.join(DOCS, "..", source), encoding="utf-8") as f:
            for match in re.finditer(literal, f.read(), re.M):
                text = match.group(1).replace("&", "")
                if "\\" not in text and len(text) > 2:
                    labels.add(text)
    return labels


def check_labels(html, settings_words, labels):
    """A settings-file word set as a screen label (anywhere if the screen does not show it too, as
    it shows "near"; in the settings file's chapter every word), and a screen label (a menu item,
    button, field, popup help, caption) set as code outside a listing (and, if it is also the
    file's word, outside the settings file's chapter)."""
    errors = []
    start = html.find("<main>")
    for chapter in re.split(r"(?=<h1\b)", html[start:]):
        settings_chapter = SETTINGS_CHAPTER in chapter[:300]
        for match in re.finditer(r'<span class="ui">([^<]*)</span>', chapter):
            text = match.group(1)
            if settings_chapter or (text in settings_words and text not in labels):
                kind = "settings-file word" if text.split(" ")[0] in settings_words else "word"
                errors.append(f"the {kind} {text!r} is set as a label"
                              + (" in the settings file's chapter" if settings_chapter else ""))
        for match in INLINE_CODE.finditer(chapter):
            text = match.group(1)
            in_listing = LISTING_BEFORE.search(chapter, max(match.start() - 80, 0), match.start())
            if text in labels and not in_listing and not (settings_chapter and text in settings_words):
                errors.append(f"the screen label {text!r} is set as code")
    return errors


LEAD_IN = re.compile(r"<p>((?:(?!</p>).)*:)</p>(\s*<(?:table|ul|ol|div class=\"formula\"|pre))", re.S)
# A heading's first paragraph, followed by a table, a list, a listing, a formula or a heading.
OPENING = re.compile(r"(</h[1-4]>\s*)<p>((?:(?!</p>).)*)</p>(\s*<(?:table|ul|ol|div class=\"formula\"|pre|h[2-4]))",
                     re.S)


def keep_lead_ins(html):
    """A paragraph that ends with a colon introduces what follows it (a table, a list, a formula),
    and so does the one paragraph between a heading and a table, a list or the next heading (a
    chapter's opening words): the stylesheet keeps each on the page of what follows, so that no
    page ends with a heading and its first words."""
    html = LEAD_IN.sub(lambda m: f'<p class="lead-in">{m.group(1)}</p>{m.group(2)}', html)
    return OPENING.sub(lambda m: f'{m.group(1)}<p class="lead-in">{m.group(2)}</p>{m.group(3)}', html)


LONG_PRE = re.compile(r"<pre>((?:(?!</pre>).)*)</pre>", re.S)


def let_long_listings_break(html):
    """A listing of more than 15 lines (the example settings file) may run on to the next page
    rather than leave half a page empty before it, but only between its lines: a line the page
    wraps (the camera line) stays whole."""
    def mark(match):
        body = match.group(1)
        if body.count("\n") <= 15:
            return match.group(0)
        body = re.sub(r"^<code>|</code>$", "", body)
        lines = "".join(f'<span class="line">{line}</span>' for line in body.split("\n"))
        return f'<pre class="long">{lines}</pre>'


    return LONG_PRE.sub(mark, html)


def keep_code_words_whole(html):
    """Inline code breaks between its words only, never after a hyphen inside one (--apertures)."""
    start = html.find("<main>")

    def words(match):
        if LISTING_BEFORE.search(html, max(match.start() - 80, 0), match.start()):
            return match.group(0)
        text = re.sub(r"\S*-\S*", lambda word: f'<span class="word">{word.group(0)}</span>', match.group(1))
        return f"<code>{text}</code>"

    return html[:start] + INLINE_CODE.sub(words, html[start:]) if start >= 0 else html


F_NUMBER = re.compile(r"(?<![\w/])f/\d[\d.,]*\d|(?<![\w/])f/\d")


def keep_f_numbers_whole(html):
    """An f-number never breaks after its "f/"."""
    start = html.find("<main>")
    pieces = TAG_OR_TEXT.split(html[start:])
    for i, piece in enumerate(pieces):
        if not piece.startswith("<"):
            pieces[i] = F_NUMBER.sub(lambda m: f'<span class="word">{m.group(0)}</span>', piece)
    return html[:start] + "".join(pieces)


TABLE = re.compile(r"<table>((?:(?!</table>).)*)</table>", re.S)


def keep_short_tables_whole(html):
    """A table of a few short rows (a quarter of a page or so) is kept on one page."""
    def mark(match):
        body = match.group(1)
        text = re.sub(r"<[^>]+>", "", body)
        short = body.count("<tr") <= 16 and len(" ".join(text.split())) <= 700
        return f'<table class="whole">{body}</table>' if short else match.group(0)

    return TABLE.sub(mark, html)


def manual_html(markdown, options, title, settings_words, labels):
    """The HTML WeasyPrint prints, the index's entries (Reference Manual) and the faults found in
    it: cross-references without section and page, labels and code swapped, index terms without
    their explaining section."""
    html = subprocess.run(
        ["pandoc", "--from", "markdown", "--to", "html5", "--standalone", *options,
         "--template", os.path.join(DOCS, "template.html"), "--metadata", f"pagetitle={title}"],
        input=markdown.encode("utf-8"), capture_output=True, check=True).stdout.decode("utf-8")
    html = mark_ui_labels(mark_cross_references(html), settings_words, labels)
    html = keep_short_tables_whole(let_long_listings_break(keep_lead_ins(html)))
    errors = check_cross_references(html) + check_labels(html, settings_words, labels)
    html = keep_f_numbers_whole(keep_code_words_whole(html))
    entries = []
    if "--number-sections" in options:  # the Reference Manual
        html, entries, found = add_index_anchors(html)
        errors += found
    return html, entries, [f"{title}: {error}" for error in errors]


def settings_words(examples):
    """The names of the settings file's lines, as Qel writes them."""
    return {line.split(" ")[0] for line in examples.saved_text("examples/dof.txt").splitlines() if line}


# Font subsetting complains about fonts without a creation date; that says nothing about the PDF.
HARMLESS_WEASYPRINT_OUTPUT = re.compile(r"'created' timestamp seems very low")


def weasyprint_python():
    """The Python that runs WeasyPrint: this one, or the one its command is a script of."""
    if importlib.util.find_spec("weasyprint"):
        return [sys.executable]
    command = shutil.which("weasyprint")
    if command:
        with open(command, "rb") as f:
            first = f.readline().decode("utf-8", "replace").strip()
        if first.startswith("#!"):
            return first[2:].split()
    raise ManualError("WeasyPrint's Python module is not installed")


def render(html_path, pdf_path, index_path, manual):
    """Prints the HTML with WeasyPrint. With an index, the pages of its terms' mentions come from
    that layout: the index is laid out as a document of its own, numbered on, and takes the place
    of the empty last page that holds its anchor."""
    import logging
    import weasyprint

    class Quiet(logging.Filter):
        def filter(self, record):
            return not HARMLESS_WEASYPRINT_OUTPUT.search(record.getMessage())

    for name in ("weasyprint", "fontTools", "fontTools.ttLib.tables._h_e_a_d"):
        logging.getLogger(name).addFilter(Quiet())
    css = weasyprint.CSS(filename=os.path.join(DOCS, "manual.css"))
    document = weasyprint.HTML(filename=html_path, base_url=DOCS + os.sep).render(stylesheets=[css])
    if index_path:
        with open(index_path, encoding="utf-8") as f:
            entries = json.load(f)
        pages = {anchor: number for number, page in enumerate(document.pages, 1) for anchor in page.anchors}
        index = weasyprint.HTML(string=index_html(entries, pages, len(document.pages), manual),
                                base_url=DOCS + os.sep).render(stylesheets=[css])
        document = document.copy(document.pages[:-1] + index.pages)
    document.write_pdf(pdf_path)


def build_pdf(html, entries, pdf_path, workdir, manual):
    html_path = os.path.join(workdir, os.path.basename(pdf_path) + ".html")
    with open(html_path, "w", encoding="utf-8") as f:
        f.write(html)
    command = [*weasyprint_python(), os.path.abspath(__file__), "render", html_path, pdf_path, "--manual", manual]
    if entries:
        index_path = html_path + ".index.json"
        with open(index_path, "w", encoding="utf-8") as f:
            json.dump(entries, f)
        command += ["--index", index_path]
    result = subprocess.run(command, capture_output=True, text=True)
    for line in (result.stdout + result.stderr).splitlines():
        if not HARMLESS_WEASYPRINT_OUTPUT.search(line):
            print(f"weasyprint: {line}", file=sys.stderr)
    if result.returncode != 0:
        raise ManualError(f"WeasyPrint failed on {os.path.basename(pdf_path)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("command", choices=["check", "build", "render"])
    parser.add_argument("--qel-calc")
    parser.add_argument("--out", help="folder for the PDFs (build)")
    parser.add_argument("--html", help="also keep the HTML of the manuals in this folder (build)")
    parser.add_argument("--version", help="the program's version (default: from CMakeLists.txt)")
    parser.add_argument("--manual", help=argparse.SUPPRESS)
    parser.add_argument("--index", help=argparse.SUPPRESS)
    parser.add_argument("files", nargs="*", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.command == "render":  # run by build, in WeasyPrint's Python
        render(*args.files, args.index, args.manual)
        return 0
    if not args.qel_calc:
        parser.error("--qel-calc is needed")
    if args.command == "build" and not args.out:
        parser.error("build needs --out")

    with tempfile.TemporaryDirectory() as workdir:
        try:
            version = args.version or project_version()
            examples = Examples(os.path.abspath(args.qel_calc), workdir)
            manuals, errors = expanded_manuals(examples, version)
            errors += check_examples(examples)
            errors += check_formulas(examples)
            # The layout checks need pandoc, which a machine that only checks numbers may lack.
            htmls = []
            if args.command == "build" or shutil.which("pandoc"):
                words, labels = settings_words(examples), screen_labels(examples)
                for pdf, options, markdown in manuals:
                    html, entries, found = manual_html(markdown, options, pdf[:-4], words, labels)
                    htmls.append((pdf, html, entries))
                    errors += found
        except ManualError as error:
            print(f"manuals: {error}", file=sys.stderr)
            return 1
        if errors:
            for error in errors:
                print(f"manuals: {error}", file=sys.stderr)
            return 1
        if args.command == "check":
            checked = "and the layout " if htmls else ""
            print(f"manuals: {len(FORMULA_CHECKS)} formulas, every quoted number {checked}match qel-calc")
            return 0

        os.makedirs(args.out, exist_ok=True)
        for pdf, html, entries in htmls:
            target = os.path.join(args.out, pdf)
            partial = target + ".part"
            try:
                build_pdf(html, entries, partial, args.html or workdir, pdf[4:-4])
            except (ManualError, subprocess.CalledProcessError, OSError) as error:
                print(f"manuals: {error}", file=sys.stderr)
                return 1
            os.replace(partial, target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
