#!/usr/bin/env python3
"""Checks the web release: build/qel-<version>-web.zip holds every file of the site in build/web,
byte for byte, under one folder qel-<version>-web/, and the site has what a visitor needs offline.

  check_web_release.py BUILD_DIR     (the folder holding web/ and the zip, for example build)
"""
import gzip
import os
import re
import sys
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
NEEDED = {"index.html", "qel-app.js", "qel-app.js.gz", "qel.wasm.gz", "field_card.js", "qel.css", "qel.js", "qel.wasm", "sw.js", "manifest.webmanifest",
          "camera-dialog.json", "fonts/Carlito-Regular.ttf", "fonts/Carlito-Qel.woff2", "Qel Quick Start.pdf", "Qel Reference Manual.pdf",
          "pictures/qel-192.png", "pictures/qel-512.png"}


def main():
    build = sys.argv[1]
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        version = re.search(r"project\(\s*Qel\s+VERSION\s+([0-9.]+)", f.read()).group(1)
    site = os.path.join(build, "web")
    files = set()
    for folder, _, names in os.walk(site):
        for name in names:
            files.add(os.path.relpath(os.path.join(folder, name), site).replace(os.sep, "/"))
    problems = [f"the site has no {n}" for n in sorted(NEEDED - files)]
    prefix = f"qel-{version}-web/"
    with zipfile.ZipFile(os.path.join(build, f"qel-{version}-web.zip")) as z:
        if z.testzip() is not None:
            problems.append("the zip is damaged")
        names = set(z.namelist())
        if names != {prefix + n for n in files}:
            problems.append(f"the zip's files differ from the site's: {sorted(names ^ {prefix + n for n in files})[:5]}")
        for n in sorted(files & {name[len(prefix):] for name in names}):
            with open(os.path.join(site, n), "rb") as f:
                if z.read(prefix + n) != f.read():
                    problems.append(f"{n} in the zip differs from the site's")
    # What a server sends compressed, and what the page unpacks itself, is the file beside it.
    for n in (f for f in sorted(files) if f.endswith(".gz")):
        with open(os.path.join(site, n), "rb") as packed, open(os.path.join(site, n[:-3]), "rb") as plain:
            problems += [f"{n} does not unpack to {n[:-3]}"] if gzip.decompress(packed.read()) != plain.read() else []
    with open(os.path.join(site, "sw.js"), encoding="utf-8") as f:
        worker = f.read()
    missing = [n for n in sorted(files) if n != "sw.js" and f'"{n}"' not in worker]
    if missing:
        problems.append(f"the service worker does not keep {missing[:5]}")
    for p in problems:
        print(f"check_web_release: {p}", file=sys.stderr)
    print(f"check_web_release: {len(files)} files, {'ok' if not problems else 'FAILED'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
