"""The window at every size and on every screen: a wide short window and a large one on a large
screen, and starts at 150 % and 200 % (LogPixels 144 and 192), measured on the screen's pixels:
the aperture labels apart, the details lines whole in their panel, the text grown with a large
window, and the toolbar pictures and markers at the pixel scale the layout chose."""
import os
import subprocess
import time

import harness
import layout as L
from cases import case, harness_xdo, ink_runs, run, settings_with
from harness import check


class LargeDisplay(harness.Display):
    """An Xvfb server with a screen of its own size, by default larger than the workers' (Wine keeps
    windows within it)."""

    def __init__(self, work, size="2600x1500"):
        number = harness.free_display_number(170)
        self.number, self.name = number, f":{number}"
        self.log = open(os.path.join(work, f"xvfb-{number}.log"), "w")
        self.xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", f"{size}x24", "-noreset", "-nolisten",
                                      "tcp"], stdout=self.log, stderr=self.log)
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            time.sleep(0.025)
        self.wm = subprocess.Popen(["/usr/bin/python3", os.path.join(harness.HERE, "wm_state.py"), self.name],
                                   stdout=subprocess.PIPE, stderr=self.log, text=True)
        check(self.wm.stdout.readline().strip() == "ready", f"WM_STATE helper did not start on {self.name}")


def sandbox_at(ctx, display, name, dpi=96):
    box = harness.Sandbox(os.path.join(ctx.work, "cases", name), ctx.template_prefix, display)
    if dpi != 96:
        subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=box.env, capture_output=True, check=True)
        subprocess.run(["wineserver", "-w"], env=box.env, check=True)
    return box


def text_rows(screen, x0, x1, y0, y1):
    """Runs of rows with text (pixels brighter than the grey around the panels) from x0 to x1."""
    px = screen.image.load()
    return ink_runs(lambda y: any(sum(px[x, y]) > 300 for x in range(x0, x1)), max(0, y0),
                    min(screen.layout.height, y1), min_gap=2)


def check_window(screen, label):
    """Sixteen aperture labels apart, ten depth-of-field details lines inside the panel, the mode
    pictures at the layout's size (the pressed one inverted) and the lens marker as large as the
    pixel scale makes it; prints what was measured."""
    lay, px = screen.layout, screen.image.load()
    left, top, right, bottom = lay.scale(1)
    labels = text_rows(screen, left + lay.scaled(22), lay.columns[1][1], top - lay.line_height, bottom + lay.line_height)
    check(len(labels) == 16 and max(b - a for a, b in labels) <= lay.line_height,
          f"{label}: aperture labels {labels}, not sixteen apart")
    details = text_rows(screen, lay.columns[4][0] + 1, lay.columns[4][1] - 1, lay.scale_top - 4 * lay.u, lay.height)
    check(len(details) == 10 and details[-1][1] <= lay.bottom, f"{label}: details lines {details}, not ten whole "
                                                               f"above the panel's bottom {lay.bottom}")
    for index, picture in enumerate(["IDDOF", "IDF", "IDFS", "IDBLUR", "IDMACRO"]):
        screen.check_button("mode", index, picture, index == 0)
    screen.check_button("camera", 0, "IDCAMERA", False)
    left, top, _, bottom = lay.scale(0)
    red = [y for y in range(top - lay.scaled(8), bottom + lay.scaled(8)) if px[left, y] == L.RED]
    reach = max(x for x in range(left, left + lay.scaled(12)) if px[x, (red[0] + red[-1]) // 2] == L.RED) - left
    check(len(red) == 2 * lay.scaled(4) + 1 and reach in (lay.scaled(8) - 1, lay.scaled(8)),
          f"{label}: the lens marker is {len(red)} rows high and reaches {reach} pixels")
    gap = min(b[0] - a[1] for a, b in zip(labels, labels[1:]))
    print(f"e2e: {label}: client {lay.width} x {lay.height}, line height {lay.line_height}, u {lay.u}, pixel scale "
          f"{lay.pixel_scale():g}x (buttons {lay.toolbar_sizes()[0]} px, strip {lay.strip_width} px), aperture labels "
          f"{gap}+ rows apart, details end {lay.bottom - details[-1][1]} rows above the panel's bottom", flush=True)


@case
def wide_short_and_large_windows(ctx, sandboxes):
    """1500 x 400: all sixteen aperture labels apart and the ten details lines whole; 2560 x 1440:
    the text grows past the old 49-pixel cap and the pictures and markers with it."""
    display = LargeDisplay(ctx.work)
    try:
        def actions(qel, screen):
            harness_xdo(qel, "windowmove", qel.window, 0, 0)
            for width, height in ((1500, 400), (2560, 1440)):
                harness_xdo(qel, "windowsize", qel.window, width, height)
                for attempt in range(4):  # a busy machine may show a frame still being drawn
                    time.sleep(0.8)
                    try:
                        screen.refresh(f"{width}x{height}")
                        break
                    except harness.Failure:
                        if attempt == 3:
                            raise
                check((screen.layout.width, screen.layout.height) == (width, height), f"a client of {width} x {height}")
                check_window(screen, f"{width} x {height}")
            # The pictures, markers and lines keep to the text: a quarter step for every 3.75 pixels.
            lay = screen.layout
            check(lay.line_height >= 50 and lay.quarters == min(16, max(4, lay.line_height * 4 // 15)),
                  f"2560 x 1440: line height {lay.line_height} at {lay.pixel_scale():g}x")

        run(ctx, sandbox_at(ctx, display, "wide_short_and_large_windows"), "wide_large", actions)
    finally:
        display.close()


@case
def dpi_150_and_200_percent(ctx, sandboxes):
    """Started at 144 and 192 dpi: a window as large again as at 96 dpi, text no smaller than the
    screen's readable minimum, pictures and markers at 1.5x and 2x, labels apart, and the About
    box in proportion."""
    display = LargeDisplay(ctx.work)
    about = {}
    try:
        for dpi in (144, 192):
            def actions(qel, screen):
                lay = screen.layout
                least = 560 * dpi // 96
                check(lay.quarters == max(dpi // 24, lay.line_height * 4 // 15) and lay.line_height >= 0.9 * 13 * dpi / 96
                      and min(lay.width, lay.height) >= least,
                      f"{dpi} dpi: {lay.width} x {lay.height}, line height {lay.line_height} at {lay.pixel_scale():g}x")
                check_window(screen, f"{dpi} dpi")
                # The About box, from the keyboard: the help menu's first item.
                harness_xdo(qel, "windowfocus", "--sync", qel.window)
                harness_xdo(qel, "key", "alt+h", "sleep", "0.4", "key", "Down", "Return")
                window = qel.find_window("^About Qel$", timeout=10)
                about[dpi] = qel.geometry(window)[2:]
                qel.root_shot(f"about-{dpi}")
                harness_xdo(qel, "windowfocus", "--sync", window)
                harness_xdo(qel, "key", "Escape")
                time.sleep(0.4)

            run(ctx, sandbox_at(ctx, display, f"dpi_{dpi}", dpi), f"dpi_{dpi}", actions)
    finally:
        display.close()
    check(all(abs(about[192][i] / about[144][i] - 4 / 3) < 0.15 for i in (0, 1)),
          f"the About box is {about[144]} at 144 dpi and {about[192]} at 192 dpi")


@case
def details_scroll_with_the_wheel(ctx, sandboxes):
    """A stack of 100 images at the first start: the details panel scrolls, its scroll bar's thumb
    at the top; the wheel over the panel takes it to the bottom, where the last lines are."""
    box = sandboxes.new()
    box.write_settings(settings_with(mode="2", ni="100"))

    def thumb(screen):
        lay, px = screen.layout, screen.image.load()
        x = lay.columns[4][1] - 3 * lay.u
        rows = [y for y in range(lay.height) if px[x, y] == (192, 192, 192)]
        check(rows, "no scroll bar beside the details")
        return rows[0], rows[-1] + 1, lay.scale_top - 4 * lay.u, lay.bottom - lay.u

    def actions(qel, screen):
        top, _, column_top, _ = thumb(screen)
        check(top == column_top, f"the thumb starts at row {top}, not at the panel's top {column_top}")
        lay = screen.layout
        qel.move(lay.columns[4][0] + 40, lay.height // 2)
        harness_xdo(qel, "click", "--repeat", "40", "--delay", "10", "5")
        qel.settle(0.5)
        _, bottom, _, panel_bottom = thumb(screen.refresh("scrolled"))
        check(bottom == panel_bottom, f"after the wheel the thumb ends at row {bottom}, not at {panel_bottom}")

    run(ctx, box, "details_wheel", actions)
