#!/usr/bin/env python3
"""qel-calc built for Windows and run under Wine prints byte for byte what the native qel-calc prints.

The unit tests, qel-calc and the manuals' numbers come from the native build; qel.exe is the
Windows build. This check generates settings files over every mode, distance unit, f-stop increment
and both decimal points, with cameras of every kind, and compares `state`, `show` and `save`, a
field card (`table`) and a stack plan (`stack`) in every format, of both builds, also for files in
folders whose names need Unicode, and for a FILE that is not there. Any difference in arithmetic
(extended precision, another libm) shows up as a different digit somewhere.

usage: windows_calc_check.py --native QEL_CALC --windows QEL_CALC_EXE [--files N] [--seed S]
                             [--keep-failures DIR]
Wine runs in the prefix WINEPREFIX (made on first use); WINEARCH=win32 is expected.
"""
import argparse
import concurrent.futures
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

COMMANDS = ("state", "show", "save")
FORMATS = ("text", "csv", "markdown", "html")
MM_PER_UNIT = (1, 10, 25.4, 304.8, 914.4, 1000)


def number(value, decimals, point):
    return f"{value:.{decimals}f}".replace(".", point)


def log_uniform(rng, low, high):
    return math.exp(rng.uniform(math.log(low), math.log(high)))


def distance(rng, infinite_share=0.1):
    """A distance in mm, or -1 (infinity) now and then."""
    if rng.random() < infinite_share:
        return -1.0
    return log_uniform(rng, 20, 200000)


def camera_line(rng, index, point):
    width = rng.choice([36.0, 23.5, 17.3, 43.8, 6.17, 56.0, 127.0])
    height = round(width * rng.choice([2 / 3, 3 / 4, 1.0, 4 / 5]), 2)
    px_w = rng.choice([4000, 6000, 8256, 3072, 11648])
    px_h = int(px_w * height / width)
    fields = [
        str(rng.randint(0, 1)),                       # type: digital, film
        str(rng.randint(0, 2)),                       # CoC method
        number(width, 2, point), str(px_w), number(height, 2, point), str(px_h),
        number(log_uniform(rng, 20, 200), 2, point),  # film resolution
        number(log_uniform(rng, 0.003, 0.2), 5, point),  # custom CoC
        number(rng.uniform(0.5, 5), 3, point),        # visual resolution
        number(rng.uniform(0.5, 3), 3, point),        # allowable blur
        number(rng.uniform(4, 40), 3, point),         # print size
        number(rng.uniform(8, 40), 3, point),         # viewing distance
        number(rng.uniform(400, 700), 2, point),      # wavelength
        str(rng.randint(0, 1)),                       # focal length entry
    ]
    return f'camera {index} "Camera {index} {rng.randint(0, 9999)}" ' + " ".join(fields)


def settings_file(rng, point):
    """A settings file as Qel writes it, with random but sensible values."""
    near = distance(rng, 0)
    far = distance(rng, 0.2)
    limits = sorted([log_uniform(rng, 50, 100000), log_uniform(rng, 50, 100000)])
    if rng.random() < 0.2:
        limits[1] = -1.0
    count = rng.randint(1, 3)
    lines = [
        "Qel 1.0",
        f"f_stop_increment {rng.randint(0, 1)}",
        f"focal_length {number(log_uniform(rng, 8, 800), 2, point)}",
        f"teleconverter {number(rng.choice([1.0, 1.0, 1.4, 2.0, 1.7]), 5, point)}",
        f"f_stop {number(log_uniform(rng, 1, 64), 5, point)}",
        f"blur_threshold {number(log_uniform(rng, 0.3, 8), 5, point)}",
        f"units {rng.randint(0, 5)}",
        f"macro_units {rng.randint(0, 2)}",
        f"snap {rng.randint(0, 1)}",
        f"maxblur {number(log_uniform(rng, 1, 200), 2, point)}",
        f"fl_zoom {number(rng.uniform(1.5, 32), 2, point)}",
        f"fov_zoom {number(rng.uniform(1.5, 32), 2, point)}",
        f"blur_zoom {number(rng.uniform(1.5, 32), 2, point)}",
        f"near {number(near, 2, point)}",
        f"focus_at {number(distance(rng), 2, point)}",
        f"far {number(far, 2, point)}",
        f"near_limit {number(limits[0], 2, point)}",
        f"far_limit {number(limits[1], 2, point)}",
        f"blur_distance {number(distance(rng), 2, point)}",
        f"fov {number(log_uniform(rng, 1, 2000), 2, point)}",
        f"ni {rng.randint(2, 100)}",
        f"mode {rng.randint(0, 4)}",
        f"ncameras {count} {rng.randint(0, count - 1)}",
    ]
    lines += [camera_line(rng, i, point) for i in range(count)]
    lines.append("end")
    return "\n".join(lines) + "\n"


def run(command, cwd, env=None):
    result = subprocess.run(command, cwd=cwd, env=env, capture_output=True, timeout=120)
    return result.returncode, result.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--windows", required=True)
    parser.add_argument("--files", type=int, default=120)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--keep-failures")
    args = parser.parse_args()

    native = os.path.abspath(args.native)
    windows = os.path.abspath(args.windows)
    # Wine reads the command line in the locale's encoding: UTF-8, as the native side's.
    env = dict(os.environ, WINEDEBUG="-all", LANG="C.UTF-8", LC_ALL="C.UTF-8")
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="qel-calc-check-")
    runs = []
    for i in range(args.files):
        point = "," if i % 2 else "."
        name = f"settings-{i:04d}.txt"
        text = settings_file(rng, point)
        with open(os.path.join(work, name), "w", encoding="utf-8", newline="") as f:
            f.write(text)
        for command in COMMANDS:
            runs.append((name, (command, name, "--decimal", point)))
        # A field card and a stack plan: distances in the file's unit, beyond any lens's reach.
        per_unit = MM_PER_UNIT[int(text.split("\nunits ")[1].split()[0])]
        near = math.ceil(4000 / per_unit)
        fmt = FORMATS[i % len(FORMATS)]
        runs.append((name, ("table", name, "--decimal", point, "--format", fmt)))
        stack = ["stack", name, "--decimal", point, "--format", fmt, "--near", str(near),
                 "--far", rng.choice(["inf", str(near * 10)])]
        if rng.random() < 0.5:
            stack += ["--images", str(rng.randint(2, 40))]
        runs.append((name, tuple(stack)))

    # In folders whose names the ANSI code page cannot hold (the arguments come in UTF-16), and a
    # FILE that is not there, an error in both.
    for i, folder in enumerate(("José", "Ελληνικά", "写真")):
        os.makedirs(os.path.join(work, folder))
        name = f"{folder}/Qel {folder}.txt"
        shutil.copy(os.path.join(work, f"settings-{i:04d}.txt"), os.path.join(work, name))
        runs.append((name, ("show", name)))
    runs.append(("no such file.txt", ("state", "no such file.txt")))

    def compare(item):
        _, arguments = item
        expected = run([native, *arguments], work)
        got = run(["wine", windows, *arguments], work, env)
        return item, expected, got

    failures = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for (name, arguments), expected, got in pool.map(compare, runs):
            if expected != got:
                failures.append((name, arguments, expected, got))

    for name, arguments, expected, got in failures[:10]:
        print(f"DIFFERENT: qel-calc {' '.join(arguments)}", file=sys.stderr)
        print(f"  native  exit {expected[0]}: {expected[1][:2000]!r}", file=sys.stderr)
        print(f"  Windows exit {got[0]}: {got[1][:2000]!r}", file=sys.stderr)
    if failures and args.keep_failures:
        os.makedirs(args.keep_failures, exist_ok=True)
        for name in {f[0] for f in failures}:
            if os.path.exists(os.path.join(work, name)):
                shutil.copy(os.path.join(work, name), args.keep_failures)
    shutil.rmtree(work, ignore_errors=True)
    files = args.files
    print(f"qel-calc, native against Windows under Wine: {files} settings files, {len(runs)} runs")
    print(f"{len(runs) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
