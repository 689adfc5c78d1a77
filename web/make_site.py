#!/usr/bin/env python3
"""Assembles the static site: the page, its script and style, qel.js and qel.wasm, the toolbar
pictures and the icons (PNG, drawn from the same text art as the Windows bitmaps), the camera
dialog's layout read from its resource script, the Carlito font, the two manuals, the web app
manifest and the service worker with the list of everything it keeps for offline use.

    make_site.py --site DIR --web DIR --resources DIR --module DIR --manuals DIR --font FILE --version V --zip ZIP

Standard library only.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import struct
import sys
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources"))
from make_bitmaps import read_art  # noqa: E402  (the Windows build's own reader of the text art)

PAGE_FILES = ("index.html", "qel.css", "page.js", "field_card.js", "sw.js")
MANUALS = ("Qel Quick Start.pdf", "Qel Reference Manual.pdf")


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


def scaled(pixels, size):
    h, w = len(pixels), len(pixels[0])
    return [[pixels[y * h // size][x * w // size] for x in range(size)] for y in range(size)]


def dialog_layout(rc_path):
    """The camera dialog's controls in template order: kind, text, id, x, y, width, height (dialog units)."""
    with open(rc_path, encoding="utf-8") as f:
        text = f.read()
    body = re.search(r"^4000\s+DIALOGEX\s+\d+,\s*\d+,\s*(\d+),\s*(\d+).*?^BEGIN\s*$(.*?)^END\s*$", text, re.S | re.M)
    if not body:
        sys.exit(f"{rc_path}: no dialog 4000")
    controls = []
    for line in body.group(3).splitlines():
        m = re.match(r'\s*(LTEXT|EDITTEXT|COMBOBOX|PUSHBUTTON)\s+(?:"([^"]*)",\s*)?(-?\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)', line)
        if m:
            kind, label, cid, x, y, w, h = m.groups()
            controls.append({"kind": kind, "text": label or "", "id": int(cid), "x": int(x), "y": int(y),
                             "width": int(w), "height": int(h)})
    return {"width": int(body.group(1)), "height": int(body.group(2)), "controls": controls}


def main():
    parser = argparse.ArgumentParser()
    for name in ("--site", "--web", "--resources", "--module", "--manuals", "--font", "--version", "--zip"):
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

    for name in PAGE_FILES:
        with open(os.path.join(a.web, name), "rb") as f:
            data = f.read()
        if name == "index.html":
            data = data.replace(b"@QEL_VERSION@", a.version.encode())
        if name != "sw.js":
            put(name, data)
    for name in ("qel.js", "qel.wasm"):
        with open(os.path.join(a.module, name), "rb") as f:
            put(name, f.read())

    art = os.path.join(a.resources, "bitmaps")
    for entry in sorted(os.listdir(art)):
        if entry.endswith(".txt"):
            pixels = art_pixels(os.path.join(art, entry))
            put(f"pictures/{entry[:-4]}.png", png(len(pixels[0]), len(pixels), pixels))
    icon = art_pixels(os.path.join(a.resources, "icon", "qel-32.txt"))
    for size in (32, 192, 512):
        put(f"pictures/qel-{size}.png", png(size, size, scaled(icon, size)))

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
        "name": "Qel depth of field calculator", "short_name": "Qel", "start_url": "./", "scope": "./",
        "display": "standalone", "background_color": "#404040", "theme_color": "#000000",
        "description": "Depth of field, the best aperture, focus stacks, blur and macro depth of field.",
        "icons": [{"src": f"pictures/qel-{s}.png", "sizes": f"{s}x{s}", "type": "image/png"} for s in (192, 512)],
    }
    put("manifest.webmanifest", json.dumps(manifest, indent=1).encode())

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
