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
  {{version}}               the program's version

Symbols in EXPR besides the state names: f (effective focal length), N (effective f-number),
s (focus distance), m = f / (s - f) (the magnification there; 0 at infinity), Ne = N (1 + m)
(the f-number the sensor sees), c (circle of confusion), t (allowed blur), lam (wavelength, nm),
G = 500000 / (1.22 lam), W and H (frame size, mm), and the camera's inputs under their field
names (frame_width_px, film_resolution, allowable_blur, print_size, ...); sqrt, atan, tan,
hypot, log2, degrees, radians, pi, round.

  manuals.py check --qel-calc PATH             every placeholder resolves, every example file is
                                               exactly what Qel would save, and the formulas the
                                               reference manual gives reproduce the program
  manuals.py build --qel-calc PATH --out DIR   check, then write the two PDFs into DIR
"""
import argparse
import math
import os
import re
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
    ("examples/dof.txt", "W * s / f", "field_width"),
    ("examples/dof.txt", "degrees(2 * atan(W / (2 * f)))", "angle_width"),
    ("examples/dof-digital.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof-digital.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " + s - f)", "near"),
    ("examples/dof-digital.txt", H_AT_FOCUS + " * s / (" + H_AT_FOCUS + " - s + f)", "far"),
    ("examples/dof-film.txt", HYPERFOCAL, "hyperfocal"),
    ("examples/dof-infinity.txt", "hyperfocal", "near"),
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
    # The ends of the distance scale.
    ("examples/dof.txt", "f**2 * s / (f**2 + maxblur * N * c * (s - f))", "maxblur_near"),
    ("examples/dof.txt", "f**2 * s / (f**2 - maxblur * N * c * (s - f))", "maxblur_far"),
    ("examples/dof.txt", "f**2 - maxblur * N * c * (s - f) < 0", "maxblur_far < 0"),
]


class ManualError(Exception):
    pass


class Examples:
    """Runs qel-calc once per example file and keeps what it printed."""

    def __init__(self, qel_calc):
        self.qel_calc = qel_calc
        self.states = {}
        self.shows = {}

    def _run(self, command, name, *options):
        path = os.path.join(DOCS, name)
        if not os.path.isfile(path):
            raise ManualError(f"no example file {name}")
        result = subprocess.run([self.qel_calc, command, path, *options], capture_output=True, timeout=60)
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


def evaluate(expression, values):
    try:
        return eval(expression, {"__builtins__": {}}, {**MATH, **values})  # noqa: S307
    except Exception as error:  # the message names the expression that failed
        raise ManualError(f"cannot evaluate {expression!r}: {error}") from None


def fill(placeholder, examples, version):
    parts = placeholder.split(":")
    kind = parts[0]
    if kind == "version" and len(parts) == 1:
        return version
    if kind == "state" and len(parts) >= 4:
        name, expression, form = parts[1], ":".join(parts[2:-1]), parts[-1]
        value = evaluate(expression, examples.state(name))
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
            mine = evaluate(formula, values)
            program = evaluate(key, values)
        except ManualError as error:
            errors.append(f"{name}: {error}")
            continue
        if not math.isclose(mine, program, rel_tol=1e-9, abs_tol=1e-12):
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


# Font subsetting complains about fonts without a creation date; that says nothing about the PDF.
HARMLESS_WEASYPRINT_OUTPUT = re.compile(r"'created' timestamp seems very low")


HEADING_ID = re.compile(r'<(?:section|h[1-6])\b[^>]*?\bid="([^"]+)"[^>]*>', re.S)
DATA_NUMBER = re.compile(r'\bdata-number="([^"]+)"')
INTERNAL_LINK = re.compile(r'<a href="#([^"]+)">')


def mark_cross_references(html):
    """Gives every link to a heading in the body the heading's section number (data-section), so
    that the stylesheet writes ", section 3.2, page 14" after it; the page comes from WeasyPrint's
    target-counter. The contents list keeps its own page numbers."""
    numbers = {}
    for match in HEADING_ID.finditer(html):
        number = DATA_NUMBER.search(match.group(0))
        numbers[match.group(1)] = number.group(1) if number else ""
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


# The Reference Manual's index: each term points to its first mention in every chapter (h1), with
# the page WeasyPrint puts it on. Matched without regard to case, as whole words, plurals too.
INDEX_TERMS = [
    "35 mm equivalent", "allowable blur", "allowed blur", "aperture scale", "Airy disk", "backup",
    "best aperture", "best f-stop", "best focus", "blur colours", "blur mode", "blur scale",
    "blur strip", "browser", "camera dialog", "circle of confusion", "contour ticks", "crop factor",
    "Custom CoC", "decimal comma", "depth of field", "details panel", "diffraction",
    "diffraction limit", "distance column", "effective f-number", "f-stop increments", "far limit",
    "field card", "field of view", "focus stacking", "hyperfocal distance", "infinity",
    "keyboard", "lens scale", "macro mode", "magnification", "near limit", "popup help",
    "qel-calc", "Reset Scales", "re-centres", "settings file", "Sharp Image", "Sharp Print",
    "snapping", "teleconverter", "touch", "units menu", "wavelength", "zoom",
]
TAG_OR_TEXT = re.compile(r"(<[^>]+>)")


def add_index(html):
    """Anchors the first mention of each index term in each chapter of <main> (outside headings
    and links) and appends an "Index" chapter that lists them with their pages."""
    start = html.find("<main>")
    end = html.find("</main>")
    if start < 0 or end < 0:
        return html
    patterns = [(term, re.compile(r"(?<![\w-])" + re.escape(term) + r"s?(?![\w-])", re.I)) for term in INDEX_TERMS]
    places = {term: [] for term in INDEX_TERMS}
    chapter = 0
    skip = []  # open elements whose text is not indexed
    pieces = TAG_OR_TEXT.split(html[start:end])
    for i, piece in enumerate(pieces):
        if piece.startswith("<"):
            tag = re.match(r"</?([a-zA-Z0-9]+)", piece)
            name = tag.group(1).lower() if tag else ""
            if name in ("h1", "h2", "h3", "a", "nav"):
                if piece.startswith("</"):
                    if name in skip:
                        skip.remove(name)
                else:
                    skip.append(name)
                    if name == "h1":
                        chapter += 1
            continue
        if skip or not piece.strip():
            continue
        found = []
        for term, pattern in patterns:
            if places[term] and places[term][-1][0] == chapter:
                continue
            match = pattern.search(piece)
            if match:
                found.append((match.start(), match.end(), term))
        # Anchor the earliest mentions first, leaving out any that overlap an anchored one.
        taken = []
        for begin, finish, term in sorted(found):
            if any(begin < e and b < finish for b, e, _ in taken):
                continue
            taken.append((begin, finish, term))
        for begin, finish, term in sorted(taken, reverse=True):
            anchor = f"ix-{INDEX_TERMS.index(term)}-{chapter}"
            places[term].append((chapter, anchor))
            piece = f'{piece[:begin]}<span id="{anchor}">{piece[begin:finish]}</span>{piece[finish:]}'
        pieces[i] = piece
    entries = []
    for term in sorted(INDEX_TERMS, key=str.lower):
        if places[term]:
            links = ", ".join(f'<a class="page" href="#{anchor}"></a>' for _, anchor in places[term])
            entries.append(f'<p><span class="term">{term}</span> {links}</p>')
    index = ('<h1 id="index" class="unnumbered">Index</h1>\n<div class="index">\n' + "\n".join(entries) +
             "\n</div>\n")
    html = html[:start] + "".join(pieces) + index + html[end:]
    # The contents list ends with the index.
    toc_end = html.find("</nav>")
    last_list = html.rfind("</ul>", 0, toc_end)
    if toc_end >= 0 and last_list >= 0:
        html = html[:last_list] + '<li><a href="#index">Index</a></li>\n' + html[last_list:]
    return html


INLINE_CODE = re.compile(r"<code>([^<]*)</code>")
CODE_LIKE = re.compile(r"_|^qel|^--|\.(txt|pdf|exe|html)\b|^[A-Z]:\\|^Qel 1\.0$|^x$|^\{\{")
SETTINGS_CHAPTER = 'id="the-settings-file"'


def mark_ui_labels(html):
    """Inline code that names something on the screen (a button, menu item, dialog field, caption
    or reading) is set as a label in the body font; file names, commands, options and the settings
    file's own words stay code. In the settings file's chapter every inline code is the file's."""
    start = html.find("<main>")
    settings = html.find(SETTINGS_CHAPTER, start)
    settings_end = html.find("<h1", settings + 1) if settings >= 0 else -1

    def label(match):
        at = match.start()
        in_settings_chapter = settings >= 0 and settings <= at and (settings_end < 0 or at < settings_end)
        text = match.group(1)
        in_listing = re.search(r"<pre[^>]*>\s*$", html[max(at - 80, 0):at]) is not None
        if in_settings_chapter or in_listing or CODE_LIKE.search(text):
            return match.group(0)
        return f'<span class="ui">{text}</span>'

    return html[:start] + INLINE_CODE.sub(label, html[start:])


LEAD_IN = re.compile(r"<p>((?:(?!</p>).)*:)</p>(\s*<(?:table|ul|ol|div class=\"formula\"|pre))", re.S)


def keep_lead_ins(html):
    """A paragraph that ends with a colon introduces what follows it (a table, a list, a formula):
    the stylesheet keeps the two on one page."""
    return LEAD_IN.sub(lambda m: f'<p class="lead-in">{m.group(1)}</p>{m.group(2)}', html)


LONG_PRE = re.compile(r"<pre>((?:(?!</pre>).)*)</pre>", re.S)


def let_long_listings_break(html):
    """A listing of more than 15 lines (the example settings file) may run on to the next page
    rather than leave half a page empty before it."""
    def mark(match):
        body = match.group(1)
        return f'<pre class="long">{body}</pre>' if body.count("\n") > 15 else match.group(0)

    return LONG_PRE.sub(mark, html)


def build_pdf(markdown, options, pdf_path, workdir, title):
    html_path = os.path.join(workdir, os.path.basename(pdf_path) + ".html")
    subprocess.run(
        ["pandoc", "--from", "markdown", "--to", "html5", "--standalone", *options,
         "--template", os.path.join(DOCS, "template.html"),
         "--metadata", f"pagetitle={title}", "--output", html_path],
        input=markdown.encode("utf-8"), check=True)
    with open(html_path, encoding="utf-8") as f:
        html = let_long_listings_break(keep_lead_ins(mark_ui_labels(mark_cross_references(f.read()))))
    if "--number-sections" in options:  # the Reference Manual
        html = add_index(html)
    with open(html_path, "w", encoding="utf-8") as f:
        f.write(html)
    result = subprocess.run(
        ["weasyprint", "--quiet", "--base-url", DOCS + os.sep,
         "--stylesheet", os.path.join(DOCS, "manual.css"), html_path, pdf_path],
        capture_output=True, text=True)
    for line in (result.stdout + result.stderr).splitlines():
        if not HARMLESS_WEASYPRINT_OUTPUT.search(line):
            print(f"weasyprint: {line}", file=sys.stderr)
    if result.returncode != 0:
        raise ManualError(f"weasyprint failed on {os.path.basename(pdf_path)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("command", choices=["check", "build"])
    parser.add_argument("--qel-calc", required=True)
    parser.add_argument("--out", help="folder for the PDFs (build)")
    parser.add_argument("--version", help="the program's version (default: from CMakeLists.txt)")
    args = parser.parse_args()

    try:
        version = args.version or project_version()
        examples = Examples(os.path.abspath(args.qel_calc))
        manuals, errors = expanded_manuals(examples, version)
        errors += check_examples(examples)
        errors += check_formulas(examples)
    except ManualError as error:
        print(f"manuals: {error}", file=sys.stderr)
        return 1
    if errors:
        for error in errors:
            print(f"manuals: {error}", file=sys.stderr)
        return 1
    if args.command == "check":
        print(f"manuals: {len(FORMULA_CHECKS)} formulas and every quoted number match qel-calc")
        return 0

    if not args.out:
        parser.error("build needs --out")
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory() as workdir:
        for pdf, options, markdown in manuals:
            target = os.path.join(args.out, pdf)
            partial = target + ".part"
            try:
                build_pdf(markdown, options, partial, workdir, pdf[:-4])
            except (ManualError, subprocess.CalledProcessError) as error:
                print(f"manuals: {error}", file=sys.stderr)
                return 1
            os.replace(partial, target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
