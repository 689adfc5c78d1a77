"""The window at every size and on every screen: a wide short window and a large one on a large
screen, and starts at 150 % and 200 % (LogPixels 144 and 192). What is measured on the screen's
pixels: the aperture labels stand apart, the details lines are whole inside their panel, the
text grows with a large window, and the toolbar pictures, markers and strip are drawn at the
pixel scale the layout chose."""
import os
import subprocess
import time

import harness
import layout as L
from cases import case, harness_xdo, ink_runs, run
from harness import check

LARGE_SCREEN = "2600x1500"


class LargeDisplay(harness.Display):
    """An Xvfb server with a screen larger than the workers' (Wine keeps windows within it)."""

    def __init__(self, work):
        self.number = harness.free_display_number(170)
        self.name = f":{self.number}"
        self.log = open(os.path.join(work, f"xvfb-{self.number}.log"), "w")
        self.xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", LARGE_SCREEN + "x24", "-noreset",
                                      "-nolisten", "tcp"], stdout=self.log, stderr=self.log)
        for _ in range(200):
            if os.path.exists(f"/tmp/.X11-unix/X{self.number}"):
                break
            time.sleep(0.025)
        self.wm = subprocess.Popen(["/usr/bin/python3", os.path.join(harness.HERE, "wm_state.py"), self.name],
                                   stdout=subprocess.PIPE, stderr=self.log, text=True)
        check(self.wm.stdout.readline().strip() == "ready", f"WM_STATE helper did not start on {self.name}")


def large_sandbox(ctx, display, name, dpi=96):
    box = harness.Sandbox(os.path.join(ctx.work, "cases", name), ctx.template_prefix, display)
    if dpi != 96:
        subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True)
        subprocess.run(["wineserver", "-w"], env=box.env, check=True)
    return box


def ink_bands(screen, x0, x1, y0, y1):
    """Runs of rows with text (pixels brighter than the grey around the panels) between x0 and x1."""
    px = screen.image.load()
    return ink_runs(lambda y: any(sum(px[x, y]) > 3 * 100 for x in range(x0, x1)), max(0, y0),
                    min(screen.layout.height, y1), min_gap=2)


def check_aperture_labels(screen, label):
    """Sixteen whole-stop labels, each a separate band of ink no taller than a line; returns the
    smallest gap between two of them in rows."""
    lay = screen.layout
    left, top, right, bottom = lay.scale(1)
    bands = ink_bands(screen, left + lay.scaled(22), lay.columns[1][1], top - lay.line_height, bottom + lay.line_height)
    check(len(bands) == 16, f"{label}: {len(bands)} aperture labels stand apart, not 16: {bands}")
    check(max(b - a for a, b in bands) <= lay.line_height, f"{label}: aperture labels run together: {bands}")
    return min(b[0] - a[1] for a, b in zip(bands, bands[1:]))


def check_details_whole(screen, label, lines=10):
    """The depth-of-field details: ten lines of ink, all inside the panel above its bottom margin."""
    lay = screen.layout
    left, right = lay.columns[4]
    column_top = lay.scale_top - 4 * lay.u
    bands = ink_bands(screen, left + 1, right - 1, column_top, lay.height)
    check(len(bands) == lines, f"{label}: {len(bands)} details lines, not {lines}: {bands}")
    check(bands[-1][1] <= lay.bottom, f"{label}: the last details line ends at row {bands[-1][1]}, below the "
                                      f"panel's bottom {lay.bottom}")
    return bands


def check_pictures_and_marker(screen, label):
    """The first row's pictures at the layout's button size, the inverted one pressed, and the lens
    marker as large as the pixel scale makes it."""
    for index, picture in enumerate(["IDDOF", "IDF", "IDFS", "IDBLUR", "IDMACRO"]):
        screen.check_button("mode", index, picture, index == 0)
    screen.check_button("camera", 0, "IDCAMERA", False)
    screen.check_button("units", 1, "IDHELP1", False)
    lay, px = screen.layout, screen.image.load()
    left, top, _, bottom = lay.scale(0)
    red = [y for y in range(top - lay.scaled(8), bottom + lay.scaled(8)) if px[left, y] == L.RED]
    check(red and len(red) == 2 * lay.scaled(4) + 1, f"{label}: the lens marker's back is {len(red)} rows, "
                                                 f"not {2 * lay.scaled(4) + 1}")
    tip = (red[0] + red[-1]) // 2
    reach = max(x for x in range(left, left + lay.scaled(12)) if px[x, tip] == L.RED) - left
    check(reach in (lay.scaled(8) - 1, lay.scaled(8)), f"{label}: the lens marker reaches {reach} pixels, not {lay.scaled(8)}")


def figures(screen, label, gap, bands):
    lay = screen.layout
    button = lay.toolbar_sizes()[0]
    print(f"e2e: {label}: client {lay.width} x {lay.height}, line height {lay.line_height}, u {lay.u}, pixel "
          f"scale {lay.halves / 2:g}x (buttons {button} px, strip {lay.strip_width} px), aperture labels at "
          f"least {gap} rows apart, last details line ends {lay.bottom - bands[-1][1]} rows above the panel's "
          f"bottom", flush=True)


@case
def wide_short_and_large_windows(ctx, sandboxes):
    """1500 x 400: all sixteen aperture labels apart and the ten details lines whole; 2560 x 1440:
    the text grows past the old 49-pixel cap, the pictures and markers grow with it, and the details
    column takes the width the scales leave."""
    display = LargeDisplay(ctx.work)
    try:
        box = large_sandbox(ctx, display, "wide_short_and_large_windows")

        def actions(qel, screen):
            harness_xdo(qel, "windowmove", qel.window, 0, 0)
            for width, height in ((1500, 400), (2560, 1440)):
                harness_xdo(qel, "windowsize", qel.window, width, height)
                time.sleep(0.8)
                label = f"{width}x{height}"
                screen.refresh(label)
                lay = screen.layout
                check((lay.width, lay.height) == (width, height), f"{label}: the client is {lay.width} x {lay.height}")
                gap = check_aperture_labels(screen, label)
                bands = check_details_whole(screen, label)
                check_pictures_and_marker(screen, label)
                figures(screen, label, gap, bands)
            check(lay.line_height >= 60 and lay.halves >= 4,
                  f"2560 x 1440: line height {lay.line_height} at {lay.halves / 2:g}x, not grown past 60 and 2x")

        run(ctx, box, "wide_large", actions)
    finally:
        display.close()


@case
def dpi_150_and_200_percent(ctx, sandboxes):
    """Started at 144 and 192 dpi: a window as large again as at 96 dpi, its text no smaller than
    that screen's readable minimum, pictures and markers at 1.5x and 2x of their pixel art, the
    labels apart, and the About box in proportion."""
    display = LargeDisplay(ctx.work)
    try:
        about_widths = {}
        for dpi in (144, 192):
            box = large_sandbox(ctx, display, f"dpi_{dpi}", dpi)

            def actions(qel, screen):
                lay = screen.layout
                label = f"{dpi} dpi"
                check(lay.halves == dpi * 2 // 96, f"{label}: pictures at {lay.halves / 2:g}x")
                check(lay.line_height >= 8 * dpi // 96, f"{label}: line height {lay.line_height}")
                least = 600 * dpi // 96 - 40 * dpi // 96
                check(lay.width >= least and lay.height >= least, f"{label}: a client of {lay.width} x {lay.height}")
                gap = check_aperture_labels(screen, label)
                bands = check_details_whole(screen, label)
                check_pictures_and_marker(screen, label)
                figures(screen, label, gap, bands)
                # The About box, from the keyboard: the help menu's first item.
                harness_xdo(qel, "windowfocus", "--sync", qel.window)
                harness_xdo(qel, "key", "alt+h")
                time.sleep(0.4)
                harness_xdo(qel, "key", "Down", "Return")
                about = qel.find_window("^About Qel$", timeout=10)
                about_widths[dpi] = qel.geometry(about)[2:]
                qel.root_shot(f"about-{dpi}")
                harness_xdo(qel, "key", "--window", about, "Escape")
                time.sleep(0.4)

            run(ctx, box, f"dpi_{dpi}", actions)
    finally:
        display.close()
    (w144, h144), (w192, h192) = about_widths[144], about_widths[192]
    check(abs(w192 / w144 - 192 / 144) < 0.12 and abs(h192 / h144 - 192 / 144) < 0.15,
          f"the About box is {w144} x {h144} at 144 dpi and {w192} x {h192} at 192 dpi")
