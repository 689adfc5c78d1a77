#!/usr/bin/python3
"""Takes the manuals' screenshots from the real program: qel.exe under Wine on an Xvfb display,
started by the end-to-end harness (tests/e2e/harness.py) in a sandbox per picture, with the
example settings files of docs/examples/. The PNGs go to docs/images/ and are committed, so
building the PDFs needs no Wine.

    /usr/bin/python3 docs/screenshots.py --exe-dir build/win/app/win32 [--only NAME ...]

The program runs inside a Wine virtual desktop, where Wine draws the window frames and title
bars the way Windows does (with Wine's Marlett font copied into the sandbox for the symbols of
the title bar buttons).
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

DOCS = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(DOCS, "..", "tests", "e2e"))

import harness  # noqa: E402
from PIL import Image, ImageChops  # noqa: E402

DESKTOP = (760, 620)            # the virtual desktop, in pixels
WINDOW = (10, 10, 650, 550)     # the main window's rectangle on it (left, top, right, bottom)
DARK_GREY = (64, 64, 64)        # the main window's background between the columns
BLACK = (0, 0, 0)
WINE_FONTS = "/usr/share/wine/fonts"
FRAME_FONTS = ("marlett.ttf",)  # the symbols of the title bar buttons


def example(name):
    with open(os.path.join(DOCS, "examples", name), encoding="utf-8", newline="") as f:
        return f.read()


class Desktop:
    """qel.exe running in a Wine virtual desktop of a sandbox."""

    def __init__(self, sandbox, settings, log_dir, name, window=WINDOW):
        self.box = sandbox
        self.window = window
        self.env = sandbox.env
        fonts = os.path.join(sandbox.prefix, "drive_c", "windows", "Fonts")
        for font in FRAME_FONTS:
            if os.path.exists(os.path.join(WINE_FONTS, font)):
                shutil.copy(os.path.join(WINE_FONTS, font), os.path.join(fonts, font))
        if settings is not None:
            sandbox.write_settings(settings)
        left, top, right, bottom = window
        sandbox.set_window_placement(struct.pack("<III", 44, 0, 1) + struct.pack("<iiii", -1, -1, -1, -1)
                                     + struct.pack("<iiii", left, top, right, bottom))
        self.log = open(os.path.join(log_dir, f"{name}.wine.log"), "w")
        self.process = subprocess.Popen(
            ["wine", "explorer", f"/desktop=QelShots,{DESKTOP[0]}x{DESKTOP[1]}", r"C:\Qel\qel.exe"],
            cwd=sandbox.program_folder, env=self.env, stdout=self.log, stderr=self.log)
        self.wait_for("^Qel [0-9]")
        time.sleep(1.0)
        self.client = self.find_client()

    def xdo(self, *args):
        return harness.xdo(*args, env=self.env, check_result=False)

    def wait_for(self, name_pattern, timeout=40):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.xdo("search", "--name", name_pattern).split()
            if found:
                return found[0]
            time.sleep(0.2)
        raise harness.Failure(f"no window named {name_pattern!r}")

    def shot(self):
        """The virtual desktop, once two grabs in a row agree."""
        previous = None
        path = os.path.join(self.box.root, "root.png")
        for _ in range(40):
            subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            image = Image.open(path).convert("RGB").crop((0, 0, *DESKTOP))
            if previous is not None and image.tobytes() == previous.tobytes():
                return image
            previous = image
            time.sleep(0.1)
        return previous

    def find_client(self):
        """The client area's top-left corner: the window's left margin is dark grey from the
        client's first row on, while the frame and the title bar are not."""
        px = self.shot().load()
        left, top, right, bottom = self.window
        middle = (top + bottom) // 2
        x = next(x for x in range(left, right) if px[x, middle] == DARK_GREY)
        y = next(y for y in range(top, bottom) if px[x, y] == DARK_GREY)
        return x, y

    def rectangle(self, window):
        """A window's rectangle (left, top, right, bottom) on the virtual desktop, frame included."""
        info = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        left = int(values["Absolute upper-left X"])
        top = int(values["Absolute upper-left Y"])
        return left, top, left + int(values["Width"]), top + int(values["Height"])

    def first_row_u(self, image):
        """The first-row toolbars sit at (u, u) of the client: the first black pixel of the diagonal."""
        px = image.load()
        cx, cy = self.client
        return next(d for d in range(40) if px[cx + d, cy + d] == BLACK)

    def click(self, x, y, settle=0.8):
        """Clicks at desktop coordinates, then parks the pointer in the desktop's corner."""
        self.xdo("mousemove", x, y, "sleep", "0.05", "click", 1, "sleep", "0.05",
                 "mousemove", DESKTOP[0] - 2, DESKTOP[1] - 2)
        time.sleep(settle)

    def close(self):
        subprocess.run(["wine", r"C:\Qel\qel-close.exe"], cwd=self.box.program_folder, env=self.env,
                       stdout=self.log, stderr=self.log, timeout=60)
        time.sleep(1.0)
        self.box.wineserver_kill()
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


def changed_box(before, after, top):
    """The bounding box of what changed between two shots, from row `top` down."""
    diff = ImageChops.difference(before, after).crop((0, top, *before.size)).getbbox()
    if diff is None:
        raise harness.Failure("nothing changed on the screen")
    left, upper, right, lower = diff
    return left, upper + top, right, lower + top


def window_shot(desk):
    return desk.shot().crop(desk.window)


def take_toolbars(desk):
    """The first row of toolbars."""
    image = desk.shot()
    u = desk.first_row_u(image)
    cx, cy = desk.client
    snap_right = u + 29 + 2 * u + 137 + 2 * u + 56 + 2 * u + 29
    return image.crop((cx, cy, cx + snap_right + u, cy + 2 * u + 29))


def panels(desk, image):
    """The black panels of the five columns, (left, right) on the desktop, from a row across the
    scales: the runs between the dark grey gaps."""
    px = image.load()
    cx, cy = desk.client
    right, bottom = desk.window[2:]
    y = cy + (bottom - cy) * 3 // 4
    greys = [x for x in range(cx, right) if px[x, y] == DARK_GREY]
    runs, start = [], None
    for x in range(greys[0], greys[-1] + 1):
        grey = px[x, y] == DARK_GREY
        if not grey and start is None:
            start = x
        elif grey and start is not None:
            runs.append((start, x))
            start = None
    return [run for run in runs if run[1] - run[0] > 20]


def text_bottom(image, panel, top, bottom):
    """The lowest row of a panel with something drawn on it (its text), below `top`."""
    px = image.load()
    lowest = top
    for y in range(top, bottom):
        if px[panel[0] + 1, y] != BLACK:
            continue  # outside the panel
        if any(px[x, y] != BLACK for x in range(panel[0] + 2, panel[1] - 2)):
            lowest = y
    return lowest


def columns_shot(first, last):
    """The columns from `first` to `last` (0 lens ... 4 details), from the top of their panels
    down to a little below the details panel's last line: what a step of the Quick Start reads,
    at a size the page can print legibly."""
    def take(desk):
        image = desk.shot()
        found = panels(desk, image)
        cx, cy = desk.client
        px = image.load()
        top = cy + (desk.window[3] - cy) * 3 // 4
        while px[found[first][0] + 1, top - 1] == BLACK:
            top -= 1
        bottom = text_bottom(image, found[4], top, desk.window[3]) + 12
        return image.crop((found[first][0] - 3, top - 1, found[last][1] + 3, bottom))
    return take


def take_camera_dialog(desk):
    """The camera dialog, opened as a user does: camera button, "Edit Camera Properties..."."""
    before = desk.shot()
    u = desk.first_row_u(before)
    cx, cy = desk.client
    desk.click(cx + u + 13, cy + u + 13)
    menu = desk.shot()
    left, top, right, bottom = changed_box(before, menu, cy)
    desk.click(left + 40, top + 12)
    window = desk.wait_for("^Camera$")
    time.sleep(1.0)
    dialog = desk.shot()
    box = desk.rectangle(window)
    desk.xdo("key", "alt+F4")
    time.sleep(0.8)
    return dialog.crop(box)


# The Quick Start's window: the narrowest that has the text of the first start's window.
QUICK_START_WINDOW = (10, 10, 570, 550)

# Name: the settings file, how the picture is taken, and the window's rectangle.
SHOTS = {
    "first-start": (None, window_shot, QUICK_START_WINDOW),
    "toolbars": (None, take_toolbars, WINDOW),
    "dof": (example("dof.txt"), window_shot, WINDOW),
    "best-f-stop": (example("best.txt"), window_shot, WINDOW),
    "focus-stacking-landscape": (example("stack.txt"), window_shot, WINDOW),
    "blur": (example("blur.txt"), window_shot, WINDOW),
    "macro": (example("macro.txt"), window_shot, WINDOW),
    "camera-dialog": (None, take_camera_dialog, WINDOW),
    "step-dof": (example("dof.txt"), columns_shot(2, 4), QUICK_START_WINDOW),
    "step-best-f-stop": (example("best.txt"), columns_shot(1, 3), QUICK_START_WINDOW),
    "step-focus-stacking": (example("stack-infinity.txt"), columns_shot(2, 4), QUICK_START_WINDOW),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--exe-dir", required=True, help="the folder of qel.exe and qel-close.exe")
    parser.add_argument("--out", default=os.path.join(DOCS, "images"))
    parser.add_argument("--only", nargs="*", choices=sorted(SHOTS))
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="qel-shots-")
    os.makedirs(args.out, exist_ok=True)
    display = None
    failed = False
    try:
        template = harness.make_template(os.path.join(work, "template"),
                                         os.path.join(args.exe_dir, "qel.exe"),
                                         os.path.join(args.exe_dir, "qel-close.exe"))
        display = harness.Display(harness.free_display_number(90), work)
        for name in args.only or SHOTS:
            settings, take, window = SHOTS[name]
            box = harness.Sandbox(os.path.join(work, name), template, display)
            desk = Desktop(box, settings, work, name, window)
            try:
                image = take(desk)
            except Exception as error:  # report and go on with the other pictures
                print(f"screenshots: {name}: {error}", file=sys.stderr)
                failed = True
                continue
            finally:
                desk.close()
            path = os.path.join(args.out, f"{name}.png")
            image.save(path, optimize=True)
            print(f"screenshots: {path} ({image.width} x {image.height})")
    finally:
        if display is not None:
            display.close()
        if args.keep or failed:
            print(f"screenshots: work folder kept in {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
