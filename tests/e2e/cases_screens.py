"""Every screen and size: a small screen at 144 dpi, the smallest window at 96, 144 and 192 dpi,
tall narrow windows in portrait, 100 images at 1500 x 400, and lines as wide as the pixel scale."""
import struct
import time

import layout as L
import peek
from cases import case, harness_xdo, ink_runs, run, settings_with
from cases_layout import LargeDisplay, sandbox_at
from harness import Failure, Qel, check


def readable(dpi):
    """The smallest text's cell at `dpi`: 13 pixels at 96 dpi, in proportion (the font may round
    its own cell a pixel or two down)."""
    return 13 * dpi / 96


def window_rect(qel, title=None):
    """A window's rectangle on the screen as Windows has it, frame and caption included."""
    return tuple(map(int, peek.peek(qel, title or qel.title()).raw.split()[2:6]))


def resize_as_windows_keeps_it(qel, width, height):
    """Asks for a client of width x height and returns the one Windows kept, which the X window then
    shows (without a window manager an X window asked to be smaller stays so while Windows keeps its
    least size; a larger size first, so that Windows sees the change and paints it all)."""
    left, top, right, bottom = window_rect(qel)
    _, _, w, h = qel.geometry()
    frame = (right - left - w, bottom - top - h)
    harness_xdo(qel, "windowsize", qel.window, width, height)
    qel.settle(0.8)
    left, top, right, bottom = window_rect(qel)
    kept = (right - left - frame[0], bottom - top - frame[1])
    if kept != (width, height):
        for size in ((kept[0] + 40, kept[1] + 40), kept):
            harness_xdo(qel, "windowsize", qel.window, *size)
            qel.settle(1.0)
    return kept


def portrait_shot(qel, label):
    """A screenshot of a portrait layout and its panels, once a busy machine has drawn the frame."""
    for attempt in range(5):
        shot = qel.shot(label)
        try:
            return shot, L.Portrait(shot)
        except Failure:
            if attempt == 4:
                raise
            time.sleep(0.8)


def line_pitch(shot, portrait):
    """The distance between the details panel's lines (the first column's)."""
    px, (left, right) = shot.load(), portrait.details
    rows = ink_runs(lambda y: any(sum(px[x, y]) > 300 for x in range((left + right) // 2)), portrait.details_top,
                    portrait.details_bottom)
    check(rows[-1][1] < portrait.details_bottom, f"the last details line {rows[-1]} is cut")
    return min(b[0] - a[0] for a, b in zip(rows, rows[1:]))


@case
def small_screen_at_144_dpi(ctx, sandboxes):
    """1366 x 768 at 144 dpi: the first window, a placement stored past the screen's corner and one
    larger than the screen come back whole on it; the About box over a window at its right edge too."""
    display = LargeDisplay(ctx.work, "1366x768")
    on_screen = lambda r: r[0] >= 0 and r[1] >= 0 and r[2] <= 1366 and r[3] <= 768  # noqa: E731
    try:
        for label, stored in (("first", None), ("past", (1200, 600, 2100, 1500)), ("larger", (-100, -50, 2000, 1400))):
            box = sandbox_at(ctx, display, f"small_screen_{label}", 144)
            if stored:
                box.set_window_placement(struct.pack("<III8i", 44, 0, 1, -1, -1, -1, -1, *stored))
            peek.install(ctx, box)
            qel = Qel(box, ctx.shots_dir, f"small_screen_{label}")
            try:
                rect = window_rect(qel)
                check(on_screen(rect) and rect[2] - rect[0] >= 800, f"{label}: the window {rect} on 1366 x 768")
                if label == "first":
                    harness_xdo(qel, "windowmove", qel.window, 1366 - qel.geometry()[2], 40)
                    harness_xdo(qel, "windowfocus", "--sync", qel.window)
                    harness_xdo(qel, "key", "alt+h", "sleep", "0.4", "key", "Down", "Return")
                    about = qel.find_window("^About Qel$", timeout=10)
                    qel.root_shot("about-at-the-edge")
                    check(on_screen(window_rect(qel, "About Qel")), "the About box leaves the screen")
                    harness_xdo(qel, "windowfocus", "--sync", about)
                    harness_xdo(qel, "key", "Escape")
                    time.sleep(0.4)
                qel.close()
            except Exception:
                qel.kill()
                raise
    finally:
        display.close()


@case
def minimum_window(ctx, sandboxes):
    """The smallest window at 96, 144 and 192 dpi is a portrait one at the readable text, the tops
    of "lens" and "aperture" as whole as those of "blur" (the toolbars over them keep clear)."""
    display = LargeDisplay(ctx.work)
    try:
        for dpi in (96, 144, 192):
            box = sandbox_at(ctx, display, f"minimum_{dpi}", dpi)
            peek.install(ctx, box)
            qel = Qel(box, ctx.shots_dir, f"minimum_{dpi}")
            try:
                kept = resize_as_windows_keeps_it(qel, 100, 100)
                shot, portrait = portrait_shot(qel, "minimum")
                pitch = line_pitch(shot, portrait)
                check(shot.size == kept and 0.9 * readable(dpi) <= pitch <= readable(dpi),
                      f"{dpi} dpi: the least client {kept} shows {shot.size}, its lines {pitch} apart")
                x, y, _, _ = qel.geometry()
                bar = peek.peek(qel, qel.title())[104].rect  # the teleconverter toolbar, over the lens
                px, top, bottom = shot.load(), bar[1] - y, bar[3] - y
                tops = [ink_runs(lambda r: any(sum(px[c, r]) > 300 for c in range(left + 1, right - 1)), top, 3 * bottom)
                        for left, right in (portrait.columns[0], portrait.columns[1], portrait.columns[3])]
                # Below the toolbar's picture the name line; no toolbar stands over the blur column.
                lens, aperture, blur = tops[0][1][0], tops[1][1][0], tops[2][0][0]
                check(lens == blur >= bottom and aperture >= blur,
                      f"{dpi} dpi: the name lines start at rows {lens}, {aperture}, {blur}, the toolbars end at {bottom}")
                print(f"e2e: smallest window at {dpi} dpi: {kept}, lines {pitch} apart", flush=True)
                qel.close()
            except Exception:
                qel.kill()
                raise
    finally:
        display.close()


@case
def tall_narrow_windows_in_portrait(ctx, sandboxes):
    """At 144 dpi a window asked to be 360 x 1500 becomes the narrowest one and one 640 x 1580 reads
    larger, both with the details below the scales, every line whole."""
    display = LargeDisplay(ctx.work, "1500x1700")
    box = sandbox_at(ctx, display, "tall_narrow", 144)
    peek.install(ctx, box)
    qel = Qel(box, ctx.shots_dir, "tall_narrow")
    try:
        harness_xdo(qel, "windowmove", qel.window, 0, 0)
        pitches = []
        for width, height in ((360, 1500), (640, 1580)):
            kept = resize_as_windows_keeps_it(qel, width, height)
            shot, portrait = portrait_shot(qel, f"{width}x{height}")
            pitches.append(line_pitch(shot, portrait))
            check(shot.size == kept and kept[1] == height and (width == 640 or 360 < kept[0] <= 480),
                  f"{width} x {height}: the client is {kept}, shown {shot.size}")
        check(pitches[0] >= 0.9 * readable(144) and pitches[1] > pitches[0], f"the portrait lines are {pitches} apart")
        check(resize_as_windows_keeps_it(qel, 400, 1500)[0] > 400, "a window narrower than the narrowest")
        qel.close()
    except Exception:
        qel.kill()
        raise
    finally:
        display.close()


@case
def stack_of_100_images_at_1500_by_400(ctx, sandboxes):
    """100 images in a window 1500 x 400 stand in every column the wide details panel holds."""
    display = LargeDisplay(ctx.work)
    box = sandbox_at(ctx, display, "stack_1500x400")
    box.write_settings(settings_with(mode="2", ni="100"))
    try:
        def actions(qel, screen):
            harness_xdo(qel, "windowmove", qel.window, 0, 0)
            harness_xdo(qel, "windowsize", qel.window, 1500, 400)
            qel.settle(0.8)
            lay, px = screen.refresh("1500x400").layout, screen.image.load()
            left, right = lay.columns[4]
            lines = ink_runs(lambda x: any(sum(px[x, y]) > 300 for y in range(lay.scale_top - 4 * lay.u, lay.bottom)),
                             left + 1, right - 1, min_gap=2 * lay.u)
            check(len(lines) >= 4, f"the 100 images' lines stand in {len(lines)} columns: {lines}")

        run(ctx, box, "stack_1500x400", actions)
    finally:
        display.close()


@case
def line_widths_at_192_dpi(ctx, sandboxes):
    """At 192 dpi the focus, near and far lines, the lens scale line and its ticks are two pixels
    wide and the pictures the core's at the layout's size; at 96 dpi one pixel."""
    display = LargeDisplay(ctx.work)
    try:
        for dpi, width in ((192, 2), (96, 1)):
            def actions(qel, screen):
                lay, px = screen.layout, screen.image.load()
                x = lay.strip_left + lay.strip_width // 3
                lines = ink_runs(lambda y: px[x, y] in (L.GREEN, L.RED), lay.scale_top, lay.scale_bottom)
                left, top, _, bottom = lay.scale(0)
                scale_line = ink_runs(lambda c: px[c, top + 9] == L.WHITE == px[c, top + 40], left, left + lay.scaled(12))
                ticks = ink_runs(lambda y: px[left + lay.scaled(14), y] == L.WHITE, top, bottom)
                check(lay.line_width == width and len(lines) == 3 and
                      all(b - a == width for a, b in lines + scale_line + ticks),
                      f"{dpi} dpi: lines {lines}, scale line {scale_line}, ticks {ticks[:4]}, not {width} wide")
                for toolbar, picture, pressed in (("mode", "IDDOF", True), ("camera", "IDCAMERA", False),
                                                  ("fstop", "IDHALF", True)):
                    screen.check_button(toolbar, 0, picture, pressed)

            run(ctx, sandbox_at(ctx, display, f"lines_{dpi}", dpi), f"lines_{dpi}", actions)
    finally:
        display.close()
