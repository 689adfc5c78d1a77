"""The window at every size and on every screen: a wide short window and a large one on a large
screen, and starts at 150 % and 200 % (LogPixels 144 and 192), measured on the screen's pixels:
the aperture labels apart, the details lines whole in their panel, the text grown with a large
window, and the toolbar pictures and markers at the pixel scale the layout chose; a small screen at
144 dpi, the smallest and tall windows, 100 images at 1500 x 400, line widths at 192 dpi."""
import os
import struct
import subprocess
import time

import harness
import layout as L
import peek
from cases import Screen, case, harness_xdo, ink_runs, run, settings_with
from harness import Failure, Qel, check


class LargeDisplay(harness.Display):
    """An Xvfb server with a screen larger than the workers' or of another size (Wine keeps windows within it)."""

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
          f"{lay.quarters / 4:g}x (buttons {lay.toolbar_sizes()[0]} px, strip {lay.strip_width} px), aperture labels "
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
            check(screen.layout.line_height >= 50 and screen.layout.quarters >= 12,
                  f"2560 x 1440: line height {screen.layout.line_height} at {screen.layout.quarters / 4:g}x")

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
                      f"{dpi} dpi: {lay.width} x {lay.height}, line height {lay.line_height} at {lay.quarters / 4:g}x")
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


def window_rect(qel, title=None):
    return tuple(map(int, peek.peek(qel, title or qel.title()).raw.split()[2:6]))


def resize(qel, width, height):
    """The client Windows kept of width x height asked for (shown once a larger one made it paint it
    all), and its portrait layout's line pitch; an X window without a window manager stays as asked."""
    left, top, right, bottom = window_rect(qel)
    frame = (right - left - qel.geometry()[2], bottom - top - qel.geometry()[3])
    harness_xdo(qel, "windowsize", qel.window, width, height)
    qel.settle(0.8)
    left, top, right, bottom = window_rect(qel)
    kept = (right - left - frame[0], bottom - top - frame[1])
    for size in ((kept[0] + 40, kept[1] + 40), kept) if kept != (width, height) else ():
        harness_xdo(qel, "windowsize", qel.window, *size)
        qel.settle(1.0)
    for attempt in range(5):  # a busy machine may show a frame still being drawn
        shot = qel.shot(f"{width}x{height}")
        try:
            portrait = L.Portrait(shot)
            break
        except Failure:
            check(attempt < 4, f"{width} x {height}: no portrait layout in a client {kept}")
            time.sleep(0.8)
    px, (left, right) = shot.load(), portrait.details
    rows = ink_runs(lambda y: any(sum(px[x, y]) > 300 for x in range((left + right) // 2)), portrait.details_top,
                    portrait.details_bottom)
    check(shot.size == kept and rows[-1][1] < portrait.details_bottom, f"a client {kept} shows {shot.size}, {rows}")
    return kept, min(b[0] - a[0] for a, b in zip(rows, rows[1:]))


def started(ctx, display, name, dpi, settings=None, placement=None):
    box = sandbox_at(ctx, display, name, dpi)
    if settings:
        box.write_settings(settings)
    if placement:
        box.set_window_placement(placement)
    peek.install(ctx, box)
    return Qel(box, ctx.shots_dir, name)


@case
def small_screen_at_144_dpi(ctx, sandboxes):
    """1366 x 768 at 144 dpi: the first window, a placement stored past the screen's corner and one
    larger than the screen come back whole on it; the About box over a window at its right edge too."""
    display = LargeDisplay(ctx.work, "1366x768")
    on_screen = lambda r: r[0] >= 0 and r[1] >= 0 and r[2] <= 1366 and r[3] <= 768  # noqa: E731
    try:
        for label, stored in (("first", None), ("past", (1200, 600, 2100, 1500)), ("larger", (-100, -50, 2000, 1400))):
            qel = started(ctx, display, f"small_screen_{label}", 144,
                          placement=stored and struct.pack("<III8i", 44, 0, 1, -1, -1, -1, -1, *stored))
            try:
                rect = window_rect(qel)
                check(on_screen(rect) and rect[2] - rect[0] >= 800, f"{label}: the window {rect} on 1366 x 768")
                if label == "first":
                    harness_xdo(qel, "windowmove", qel.window, 1366 - qel.geometry()[2], 40)
                    harness_xdo(qel, "windowfocus", "--sync", qel.window)
                    harness_xdo(qel, "key", "alt+h", "sleep", "0.4", "key", "Down", "Return")
                    qel.find_window("^About Qel$", timeout=10)
                    check(on_screen(window_rect(qel, "About Qel")), "the About box leaves the screen")
            finally:
                qel.kill()
    finally:
        display.close()


@case
def smallest_and_tall_narrow_windows(ctx, sandboxes):
    """The smallest window at 96, 144 and 192 dpi is a portrait one at the readable text (13 pixels at
    96 dpi, in proportion; the font may round its cell down), its details whole; at 144 dpi a window
    asked to be 360 x 1500 becomes the narrowest one and one 640 x 1580 reads larger, both in portrait."""
    display = LargeDisplay(ctx.work, "1500x1700")
    try:
        for dpi in (96, 144, 192):
            qel = started(ctx, display, f"smallest_{dpi}", dpi)
            try:
                kept, pitch = resize(qel, 100, 100)
                check(0.9 * 13 * dpi / 96 <= pitch <= 13 * dpi / 96, f"{dpi} dpi: the smallest window's lines {pitch} apart")
                if dpi == 144:
                    harness_xdo(qel, "windowmove", qel.window, 0, 0)
                    (narrow, narrow_pitch), (tall, tall_pitch) = resize(qel, 360, 1500), resize(qel, 640, 1580)
                    check(360 < narrow[0] <= 480 and narrow[1] == 1500 and tall == (640, 1580) and tall_pitch > pitch
                          and narrow_pitch >= pitch, f"tall windows {narrow} and {tall}, lines {narrow_pitch}, {tall_pitch}")
            finally:
                qel.kill()
    finally:
        display.close()


@case
def stack_and_line_widths(ctx, sandboxes):
    """100 images in a window 1500 x 400 stand in every column the details panel holds; at 192 dpi
    the focus, near and far lines, the lens scale line and its ticks are two pixels wide."""
    display = LargeDisplay(ctx.work)
    try:
        for name, dpi, width, settings in (("stack", 96, 1, settings_with(mode="2", ni="100")), ("lines", 192, 2, None)):
            qel = started(ctx, display, name, dpi, settings)
            try:
                screen = Screen(qel, ctx)
                if settings:
                    harness_xdo(qel, "windowsize", qel.window, 1500, 400)
                    qel.settle(0.8)
                    screen.refresh("1500x400")
                lay, px = screen.layout, screen.image.load()
                if settings:
                    columns = ink_runs(lambda x: any(sum(px[x, y]) > 300 for y in range(lay.scale_top - 4 * lay.u, lay.bottom)),
                                       lay.columns[4][0] + 1, lay.columns[4][1] - 1, min_gap=2 * lay.u)
                    check(len(columns) >= 4, f"the 100 images' lines stand in {len(columns)} columns: {columns}")
                    continue
                x = lay.strip_left + lay.strip_width // 3
                lines = ink_runs(lambda y: px[x, y] in (L.GREEN, L.RED), lay.scale_top, lay.scale_bottom)
                left, top, _, bottom = lay.scale(0)
                scale_line = ink_runs(lambda c: px[c, top + 9] == L.WHITE == px[c, top + 40], left, left + lay.scaled(12))
                ticks = ink_runs(lambda y: px[left + lay.scaled(14), y] == L.WHITE, top, bottom)
                check(lay.line_width == width and len(lines) == 3 and all(b - a == width for a, b in lines + scale_line + ticks),
                      f"{dpi} dpi: lines {lines}, scale line {scale_line}, ticks {ticks[:4]}, not {width} wide")
                for toolbar, picture, pressed in (("mode", "IDDOF", True), ("camera", "IDCAMERA", False), ("fstop", "IDHALF", True)):
                    screen.check_button(toolbar, 0, picture, pressed)
            finally:
                qel.kill()
    finally:
        display.close()
