#!/usr/bin/python3
"""Runs Qel's end-to-end cases: qel.exe under Wine on Xvfb displays, two cases at a time.

    run_e2e.py --exe-dir build/win/app/win32 --qel-calc build/native/tools/qel-calc
               [--jobs 2] [--keep] [--only NAME ...]

Everything happens under one temporary folder (kept with --keep, and always on failure):
the Wine prefix template, one sandbox per case, and the screenshots of every case. What the
program must compute, the cases ask of qel-calc (the same core, built natively).
"""
import argparse
import concurrent.futures
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import importlib  # noqa: E402
import glob  # noqa: E402
import io  # noqa: E402

import cases  # noqa: E402
import harness  # noqa: E402

# Cases live in cases.py and in cases_<area>.py files beside it; each registers with @cases.case.
for _path in sorted(glob.glob(os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases_*.py"))):
    importlib.import_module(os.path.splitext(os.path.basename(_path))[0])
from PIL import Image  # noqa: E402


class Context:
    """What every case may read: paths, pictures and the facts measured once per run."""

    def __init__(self, args, work):
        self.work = work
        self.shots_dir = os.path.join(work, "shots")
        os.makedirs(self.shots_dir, exist_ok=True)
        self.pictures_dir = os.path.join(args.exe_dir, "pictures")
        self.qel_calc = args.qel_calc
        self.release_zip = args.release_zip
        self.template_prefix = None
        self.metrics = {}  # what the system draws menus with (qel-peek.exe --metrics)

    def picture(self, name, size):
        tool = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(self.qel_calc))), "tests", "qel-paint-ops")
        r = subprocess.run([tool, "--picture", name, str(size)], capture_output=True)
        if r.returncode != 0:
            raise harness.Failure(f"qel-paint-ops drew no picture {name} at {size}")
        return Image.open(io.BytesIO(r.stdout)).convert("RGB")

    def default_save_text(self):
        """What the first close writes: qel-calc's save of the defaults."""
        r = subprocess.run([self.qel_calc, "save", "--defaults"], capture_output=True, text=True)
        if r.returncode != 0 or not r.stdout.startswith("Qel 1.0\n"):
            raise harness.Failure(f"qel-calc save gave no settings text: {r.stderr}")
        return r.stdout


class Sandboxes:
    """Hands a case fresh sandboxes on its worker's display."""

    def __init__(self, ctx, display, case_name):
        self.ctx = ctx
        self.display = display
        self.case_name = case_name
        self.count = 0

    def new(self, lang="C.UTF-8"):
        self.count += 1
        root = os.path.join(self.ctx.work, "cases", f"{self.case_name}-{self.count}")
        return harness.Sandbox(root, self.ctx.template_prefix, self.display, lang)


def run_case(ctx, display, function):
    start = time.time()
    try:
        function(ctx, Sandboxes(ctx, display, function.__name__))
        return function.__name__, True, "", time.time() - start
    except harness.Failure as failure:
        return function.__name__, False, str(failure), time.time() - start
    except Exception:
        return function.__name__, False, traceback.format_exc(), time.time() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe-dir", required=True)
    parser.add_argument("--qel-calc", required=True)
    parser.add_argument("--release-zip", help="the release package, for the case that runs the program from it")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--keep", action="store_true")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()

    selected = [c for c in cases.CASES if not args.only or c.__name__ in args.only]
    work = tempfile.mkdtemp(prefix="qel-e2e-")
    ctx = Context(args, work)
    began = time.time()
    print(f"e2e: {len(selected)} cases in {work}", flush=True)
    ctx.template_prefix = harness.make_template(os.path.join(work, "template"),
                                                os.path.join(args.exe_dir, "qel.exe"),
                                                os.path.join(args.exe_dir, "qel-close.exe"))
    ctx.metrics = harness.system_metrics(os.path.join(work, "template"), os.path.join(args.exe_dir, "qel-peek.exe"))
    print(f"e2e: template prefix ready ({time.time() - began:.1f} s); menus in {ctx.metrics['menu_font']}, "
          f"text {ctx.metrics['menu_text_height']} px high, check marks {ctx.metrics['menu_check_width']} px wide",
          flush=True)

    displays = queue.Queue()
    made = []
    for _ in range(max(1, args.jobs)):
        d = harness.Display(harness.free_display_number(70 + 10 * len(made)), work)
        made.append(d)
        displays.put(d)

    def worker(function):
        display = displays.get()
        try:
            return run_case(ctx, display, function)
        finally:
            displays.put(display)

    failures = 0
    lock = threading.Lock()
    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(made)) as pool:
            for name, ok, message, seconds in pool.map(worker, selected):
                with lock:
                    print(f"e2e: {'ok  ' if ok else 'FAIL'} {name} ({seconds:.1f} s)", flush=True)
                    if not ok:
                        failures += 1
                        print("      " + message.replace("\n", "\n      "), flush=True)
    finally:
        for d in made:
            d.close()
    print(f"e2e: all cases ran in {time.time() - began:.1f} s", flush=True)
    print(f"e2e: {len(selected) - failures} passed, {failures} failed", flush=True)
    if failures or args.keep:
        print(f"e2e: screenshots and sandboxes kept in {work}", flush=True)
    else:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
