#!/usr/bin/env python3
"""Packs the Windows release: qel-<version>-win32.zip with qel.exe, the two PDF manuals and
README.txt (docs/README-win32.txt with its {{version}} filled in and Windows line ends).

  make_release.py --version V --out ZIP --exe qel.exe --calc qel-calc.exe --readme README-win32.txt PDF...
"""
import argparse
import os
import sys
import time
import zipfile


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--calc", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("manuals", nargs="+")
    args = parser.parse_args()

    with open(args.readme, encoding="utf-8") as f:
        readme = f.read().replace("{{version}}", args.version)
    readme = readme.replace("\r\n", "\n").replace("\n", "\r\n")

    entries = [("qel.exe", args.exe), ("qel-calc.exe", args.calc)] + [(os.path.basename(p), p) for p in args.manuals]
    for name, path in entries:
        if not os.path.isfile(path):
            print(f"make_release: missing {path}", file=sys.stderr)
            return 1

    partial = args.out + ".part"
    with zipfile.ZipFile(partial, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        for name, path in entries:
            archive.write(path, name)
        info = zipfile.ZipInfo("README.txt", time.localtime(time.time())[:6])
        info.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(info, readme.encode("utf-8"))
    os.replace(partial, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
