#!/usr/bin/env python3
"""Assembles the static site: the page, its script and style, qel.js and qel.wasm (which also
draws the toolbar pictures), the icons (PNG, drawn from the same text art as the Windows icon), the camera
dialog's layout read from its resource script, the Carlito font, the two manuals, the web app
manifest and the service worker with the list of everything it keeps for offline use.

    make_site.py --site DIR --web DIR --resources DIR --module DIR --manuals DIR --font FILE --version V --zip ZIP
                 --subset PYFTSUBSET --sources DIR --docs DIR

Standard library only.
"""
import argparse
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import struct
import sys
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources"))
from make_bitmaps import read_art  # noqa: E402  (the Windows build's own reader of the text art)

# field_card.js stays a file of its own, outside the page's bundle: the page imports it after the
# first frame.
PAGE_FILES = ("index.html", "qel.css", "field_card.js", "sw.js")
# Kept compressed beside themselves as NAME.gz: a server that can send a file compressed sends that
# (web/serve_web.py, nginx's gzip_static), and the page fetches qel.wasm.gz and qel-app.js.gz
# itself and unpacks them, so that even a server that compresses nothing sends those bytes.
PACKED = (".html", ".css", ".js", ".wasm", ".json", ".webmanifest")
# The folders of the core whose texts the page draws: the font subset holds their characters.
DRAWN_TEXT_FOLDERS = ("calc", "text", "cameras", "display", "app")
MANUALS = ("Qel Quick Start.pdf", "Qel Reference Manual.pdf")
# The install dialog's screenshots: the program's own, which the page draws the same.
MANIFEST_SCREENSHOTS = {"dof.png": "Depth of field: near and far limits, hyperfocal distance",
                        "focus-stacking-landscape.png": "Focus stacking: the focus distance of each image"}


def png(width, height, rows):
    """A PNG of RGB rows (lists of (r, g, b))."""
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def art_pixels(path):
    rows, _, palette = read_art(path)
    return [[palette[ch] for ch in row] for row in rows]


def png_size(path):
    """A PNG's width and height, from its header."""
    with open(path, "rb") as f:
        return struct.unpack(">II", f.read(24)[16:24])


def scaled(pixels, size):
    h, w = len(pixels), len(pixels[0])
    return [[pixels[y * h // size][x * w // size] for x in range(size)] for y in range(size)]


IMPORT = re.compile(r'^import\s+(?:(\{[^}]*\}|\w+)\s+from\s+)?"\./([\w-]+)\.js";[ \t]*\n', re.M)
EXPORT = re.compile(r"^export\s+(?:async\s+function|function|const|let|class)\s+(\w+)", re.M)


def bundle(modules, entry):
    """The page's ES modules as one script (one request instead of one each on a slow link): each
    module in its own scope, evaluated after the modules it imports, returning what it exports."""
    order = []

    def visit(name, path=()):
        if name in order:
            return
        if name in path:
            sys.exit(f"make_site.py: modules import each other: {' -> '.join(path + (name,))}")
        for _, dependency in IMPORT.findall(modules[name]):
            visit(dependency, path + (name,))
        order.append(name)

    visit(entry)
    scope = lambda name: "$" + re.sub(r"\W", "_", name)
    parts = ['"use strict";\n(() => {\n']
    for name in order:
        text = modules[name]
        imports = []
        for names, dependency in IMPORT.findall(text):
            if names.startswith("{"):
                imports.append(f"const {names.replace(' as ', ': ')} = {scope(dependency)};\n")
            elif names:
                imports.append(f"const {names} = {scope(dependency)}.default;\n")
        exports = EXPORT.findall(text)
        body = EXPORT.sub(lambda m: m.group(0)[len("export "):].lstrip(), IMPORT.sub("", text))
        if "export default " in body:
            body = body.replace("export default ", "const $default = ")
            exports.append("default: $default")
        parts.append(f"// ---- {name}.js\nconst {scope(name)} = (() => {{\n{''.join(imports)}{body}"
                     f"return {{ {', '.join(exports)} }};\n}})();\n")
    parts.append("})();\n")
    return "".join(parts)


def windows_metrics(font_path):
    """The font's own Windows metrics: units per em (head table), usWinAscent and usWinDescent (OS/2)."""
    with open(font_path, "rb") as f:
        data = f.read()
    tables = {}
    for i in range(struct.unpack_from(">H", data, 4)[0]):
        tag, _, offset, _ = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        tables[tag] = offset
    units_per_em = struct.unpack_from(">H", data, tables[b"head"] + 18)[0]
    win_ascent, win_descent = struct.unpack_from(">HH", data, tables[b"OS/2"] + 74)
    return {"unitsPerEm": units_per_em, "winAscent": win_ascent, "winDescent": win_descent}


def drawn_characters(sources):
    """Unicode ranges for the font subset: Basic Latin and Latin-1 (numbers, units, camera names),
    and every other character written in the core's texts (as a \\uXXXX escape or literally)."""
    extra = set()
    for folder in DRAWN_TEXT_FOLDERS:
        for name in sorted(os.listdir(os.path.join(sources, folder))):
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(sources, folder, name), encoding="utf-8") as f:
                    text = f.read()
                extra |= {int(h, 16) for h in re.findall(r"\\u([0-9A-Fa-f]{4})", text)}
                extra |= {ord(c) for c in text if ord(c) > 0xFF}
    extra = sorted(c for c in extra if c > 0xFF and not 0xE000 <= c <= 0xF8FF and c not in (0xFEFF, 0xFFFD))
    return ["U+0020-007E", "U+00A0-00FF"] + [f"U+{c:04X}" for c in extra]


def other_characters(ranges):
    """The Unicode ranges outside `ranges` (each "U+XXXX" or "U+XXXX-YYYY", in order)."""
    out, start = [], 0
    for r in ranges:
        low, _, high = r[2:].partition("-")
        low, high = int(low, 16), int(high or low, 16)
        if low > start:
            out.append(f"U+{start:04X}-{low - 1:04X}")
        start = high + 1
    return out + [f"U+{start:04X}-10FFFF"]


def dialog_layout(rc_path):
    """The camera dialog's controls in template order: kind, text, id, x, y, width, height (dialog units)."""
    with open(rc_path, encoding="utf-8") as f:
        text = f.read()
    body = re.search(r"^4000\s+DIALOGEX\s+\d+,\s*\d+,\s*(\d+),\s*(\d+).*?^BEGIN\s*$(.*?)^END\s*$", text, re.S | re.M)
    if not body:
        sys.exit(f"{rc_path}: no dialog 4000")
    controls = []
    for line in body.group(3).splitlines():
        m = re.match(r'\s*(LTEXT|EDITTEXT|COMBOBOX|PUSHBUTTON|DEFPUSHBUTTON)\s+(?:"([^"]*)",\s*)?(-?\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)', line)
        if m:
            kind, label, cid, x, y, w, h = m.groups()
            kind = "PUSHBUTTON" if kind == "DEFPUSHBUTTON" else kind
            controls.append({"kind": kind, "text": label or "", "id": int(cid), "x": int(x), "y": int(y),
                             "width": int(w), "height": int(h)})
    return {"width": int(body.group(1)), "height": int(body.group(2)), "controls": controls}


def main():
    parser = argparse.ArgumentParser()
    for name in ("--site", "--web", "--resources", "--module", "--manuals", "--font", "--version", "--zip", "--subset",
                 "--sources", "--docs"):
        parser.add_argument(name, required=True)
    a = parser.parse_args()

    if os.path.isdir(a.site):
        shutil.rmtree(a.site)
    os.makedirs(os.path.join(a.site, "pictures"))
    os.makedirs(os.path.join(a.site, "fonts"))
    files = []

    def put(name, data):
        path = os.path.join(a.site, name)
        with open(path, "wb") as f:
            f.write(data)
        files.append(name)

    # The text font: a subset with the characters Qel draws, which the first frame waits for, and
    # the whole font, fetched only for a character outside the subset (a camera's name).
    ranges = drawn_characters(a.sources)
    subset = os.path.join(a.site, "fonts", "Carlito-Qel.woff2")
    subprocess.run([a.subset, a.font, f"--unicodes={','.join(ranges)}", "--layout-features=kern", "--flavor=woff2",
                    f"--output-file={subset}"], check=True, stderr=subprocess.DEVNULL)
    files.append("fonts/Carlito-Qel.woff2")

    # The page's script: ES modules, one per concern, started from page.js, put together in one file.
    modules = {n[:-3]: open(os.path.join(a.web, n), encoding="utf-8").read()
               for n in os.listdir(a.web) if n.endswith(".js") and n != "sw.js"}
    modules["font-metrics"] = ("// The text font's Windows metrics, from its head and OS/2 tables.\nexport default "
                               + json.dumps(windows_metrics(a.font)) + ";\n")
    # What the first frame needs in one file: the core's loader (qel.js) and the page's script.
    with open(os.path.join(a.module, "qel.js"), "rb") as f:
        loader = f.read()
    put("qel-app.js", loader + b"\n" + bundle(modules, "page").encode())
    for name in PAGE_FILES:
        with open(os.path.join(a.web, name), "rb") as f:
            data = f.read()
        if name == "index.html":
            data = data.replace(b"@QEL_VERSION@", a.version.encode())
        if name == "qel.css":
            data = data.replace(b"@QEL_SUBSET_RANGE@", ", ".join(ranges).encode())
            data = data.replace(b"@QEL_OTHER_RANGE@", ", ".join(other_characters(ranges)).encode())
        if name != "sw.js":
            put(name, data)
    for name in ("qel.js", "qel.wasm"):
        with open(os.path.join(a.module, name), "rb") as f:
            put(name, f.read())

    icon = art_pixels(os.path.join(a.resources, "icon", "qel-32.txt"))
    for size in (32, 192, 512):
        put(f"pictures/qel-{size}.png", png(size, size, scaled(icon, size)))
    # The maskable icon: the picture within the middle 60 %, which any mask the system cuts leaves whole.
    inner, background = scaled(icon, 320), (0x40, 0x40, 0x40)
    put("pictures/qel-maskable-512.png", png(512, 512, [[inner[y - 96][x - 96] if 96 <= x < 416 and 96 <= y < 416 else background
                                                         for x in range(512)] for y in range(512)]))
    for name in MANIFEST_SCREENSHOTS:
        with open(os.path.join(a.docs, "images", name), "rb") as f:
            put(f"pictures/{name}", f.read())

    put("camera-dialog.json", json.dumps(dialog_layout(os.path.join(a.resources, "camera_dialog.rc"))).encode())
    with open(a.font, "rb") as f:
        put("fonts/Carlito-Regular.ttf", f.read())
    for name in MANUALS:
        path = os.path.join(a.manuals, name)
        if not os.path.isfile(path):
            sys.exit(f"make_site.py: no {path}; build the manuals first")
        with open(path, "rb") as f:
            put(name, f.read())

    manifest = {
        "id": "./", "name": "Qel depth of field calculator", "short_name": "Qel", "start_url": "./", "scope": "./",
        "display": "standalone", "background_color": "#404040", "theme_color": "#000000",
        "description": "Depth of field, the best aperture, focus stacks, blur and macro depth of field.",
        "icons": [{"src": f"pictures/qel-{s}.png", "sizes": f"{s}x{s}", "type": "image/png"} for s in (192, 512)]
        + [{"src": "pictures/qel-maskable-512.png", "sizes": "512x512", "type": "image/png", "purpose": "maskable"}],
        "screenshots": [{"src": f"pictures/{name}", "sizes": "x".join(map(str, png_size(os.path.join(a.docs, "images", name)))),
                         "type": "image/png", "form_factor": "wide", "label": label}
                        for name, label in MANIFEST_SCREENSHOTS.items()],
    }
    put("manifest.webmanifest", json.dumps(manifest, indent=1).encode())

    for name in list(files):
        if name.endswith(PACKED):
            with open(os.path.join(a.site, name), "rb") as f:
                put(name + ".gz", gzip.compress(f.read(), 9, mtime=0))

    # The service worker keeps every file of this build; its cache name changes with their contents.
    digest = hashlib.sha256()
    for name in sorted(files):
        with open(os.path.join(a.site, name), "rb") as f:
            digest.update(name.encode() + b"\0" + f.read())
    with open(os.path.join(a.web, "sw.js"), encoding="utf-8") as f:
        worker = f.read()
    worker = worker.replace("@QEL_CACHE@", f"qel-{a.version}-{digest.hexdigest()[:12]}")
    worker = worker.replace("@QEL_FILES@", json.dumps(["./"] + sorted(files)))
    put("sw.js", worker.encode())

    # The release: the whole site in one zip, under a folder named after the version.
    with zipfile.ZipFile(a.zip, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(files):
            z.write(os.path.join(a.site, name), f"qel-{a.version}-web/{name}")
    print(f"make_site.py: {len(files)} files in {a.site}, packed in {a.zip}")


if __name__ == "__main__":
    main()
