"""Every screen and size: a small screen at 144 dpi (the first window, stored placements and the
About box kept on it), the smallest window at 96, 144 and 192 dpi (its captions whole, its text
readable), tall narrow windows in the portrait layout, a stack of 100 images in a wide low window
(its lines in every column the width holds), and lines as wide as the pixel scale."""
import struct
import time

from PIL import ImageOps

import layout as L
import peek
from cases import Screen, case, harness_xdo, run, settings_with
from cases_layout import LargeDisplay, sandbox_at
from harness import Failure, Qel, check


def readable(dpi):
    """The smallest text (a cell height) on a screen of `dpi`: 13 pixels at 96 dpi, in proportion."""
    return (13 * dpi * 2 + 96) // 192


def inside(rect, screen):
    left, top, right, bottom = rect
    return left >= 0 and top >= 0 and right <= screen[0] and bottom <= screen[1]


def placement(rect):
    return struct.pack("<III", 44, 0, 1) + struct.pack("<iiii", -1, -1, -1, -1) + struct.pack("<iiii", *rect)


@case
def small_screen_at_144_dpi(ctx, sandboxes):
    """1366 x 768 at 144 dpi: the first window, a stored placement past the screen's corner and one
    larger than the screen come back whole on the screen, frame and caption included; the About box
    over a window at the screen's right edge stays on the screen."""
    size = (1366, 768)
    display = LargeDisplay(ctx.work, f"{size[0]}x{size[1]}")
    try:
        for label, stored in (("first", None), ("past", (1200, 600, 2100, 1500)), ("larger", (-100, -50, 2000, 1400))):
            box = sandbox_at(ctx, display, f"small_screen_{label}", 144)
            if stored:
                box.set_window_placement(placement(stored))
            peek.install(ctx, box)
            qel = Qel(box, ctx.shots_dir, f"small_screen_{label}")
            try:
                window = peek.peek(qel, qel.title())
                frame = tuple(map(int, window.raw.split()[2:6]))
                check(inside(frame, size), f"{label}: the window {frame} is not on the 1366 x 768 screen")
                check(frame[2] - frame[0] >= 800 and frame[3] - frame[1] >= 600,
                      f"{label}: the window {frame} is smaller than the least at 144 dpi")
                if label == "first":
                    x, y, w, h = qel.geometry()
                    harness_xdo(qel, "windowmove", qel.window, size[0] - w, y)
                    qel.settle(0.5)
                    harness_xdo(qel, "windowfocus", "--sync", qel.window)
                    harness_xdo(qel, "key", "alt+h", "sleep", "0.4", "key", "Down", "Return")
                    about = qel.find_window("^About Qel$", timeout=10)
                    box_rect = peek.peek(qel, "About Qel").raw.split()[2:6]
                    qel.root_shot("about-at-the-edge")
                    check(inside(tuple(map(int, box_rect)), size), f"the About box {box_rect} leaves the screen")
                    harness_xdo(qel, "windowfocus", "--sync", about)
                    harness_xdo(qel, "key", "Escape")
                    time.sleep(0.4)
                qel.shot(label)
                qel.close()
            except Exception:
                qel.kill()
                raise
    finally:
        display.close()


def window_rect(qel):
    """The main window's rectangle on the screen as Windows has it, frame and caption included."""
    return tuple(map(int, peek.peek(qel, qel.title()).raw.split()[2:6]))


def resize_as_windows_keeps_it(qel, width, height):
    """Asks for a client of width x height, then gives the X window the size Windows kept (without a
    window manager an X window asked to be smaller than the least stays that small while Windows
    keeps the window at its least size; a larger size first, so that Windows sees two changes that
    both agree with the X window and paints the whole client again); returns that client size."""
    left, top, right, bottom = window_rect(qel)
    _, _, w, h = qel.geometry()
    frame = (right - left - w, bottom - top - h)
    harness_xdo(qel, "windowsize", qel.window, width, height)
    qel.settle(0.8)
    left, top, right, bottom = window_rect(qel)
    kept = (right - left - frame[0], bottom - top - frame[1])
    if kept != (width, height):
        harness_xdo(qel, "windowsize", qel.window, kept[0] + 40, kept[1] + 40)
        qel.settle(1.0)
        harness_xdo(qel, "windowsize", qel.window, *kept)
        qel.settle(1.0)
    return kept


def toolbars(qel):
    """The toolbar windows' rectangles in client coordinates, by control id."""
    x, y, _, _ = qel.geometry()
    found = {}
    for ident, control in peek.peek(qel, qel.title()).controls.items():
        left, top, right, bottom = control.rect
        found[ident] = (left - x, top - y, right - x, bottom - y)
    return found


def pixel_scale_of(toolbar_width):
    """The quarters of the pixel scale of a one-button toolbar this wide (its pitch and two borders)."""
    for quarters in range(4, 17):
        if (27 * quarters + 2) // 4 + 2 * ((quarters + 2) // 4) == toolbar_width:
            return quarters
    raise Failure(f"a toolbar {toolbar_width} wide fits no pixel scale")


def check_picture(ctx, shot, rect, picture, inverted, quarters):
    """The toolbar window at `rect` shows the core's picture in its first button, inverted or not,
    inside its border, at the pixel scale of `quarters`."""
    border, size = (quarters + 2) // 4, (24 * quarters + 2) // 4
    expected = ctx.picture(picture, size)
    if inverted:
        expected = ImageOps.invert(expected)
    got = shot.crop((rect[0] + border, rect[1] + border, rect[0] + border + size, rect[1] + border + size))
    check(list(got.getdata()) == list(expected.getdata()), f"the toolbar at {rect} does not show {picture}")


def ink_runs_below(shot, column, top, bottom):
    px = shot.load()
    return L.ink_runs_of(lambda y: any(sum(px[x, y]) > 300 for x in range(column[0] + 1, column[1] - 1)), top, bottom)


@case
def minimum_window(ctx, sandboxes):
    """The smallest window at 96, 144 and 192 dpi (a portrait one: the narrowest and lowest in which
    the smallest text is whole): its lines at the readable minimum text (13 pixels at 96 dpi, in
    proportion), the tops of "lens" and "aperture" as whole as those of "blur" (the toolbars over
    them keep clear), the toolbar pictures the core's at the layout's size."""
    display = LargeDisplay(ctx.work)
    try:
        for dpi in (96, 144, 192):
            box = sandbox_at(ctx, display, f"minimum_{dpi}", dpi)
            peek.install(ctx, box)
            qel = Qel(box, ctx.shots_dir, f"minimum_{dpi}")
            try:
                kept = resize_as_windows_keeps_it(qel, 100, 100)
                for attempt in range(5):  # a busy machine may show a frame still being drawn
                    shot = qel.shot("minimum")
                    try:
                        portrait = L.Portrait(shot)
                        break
                    except Failure:
                        if attempt == 4:
                            raise
                        time.sleep(0.8)
                check(shot.size == kept, f"{dpi} dpi: the least client {kept} shows as {shot.size}")
                rows = portrait.text_rows()
                pitch = min(b[0] - a[0] for a, b in zip(rows, rows[1:]))
                # The text font asked for the readable cell height (the font's own cell may round down).
                check(0.9 * readable(dpi) <= pitch <= readable(dpi),
                      f"{dpi} dpi: the smallest window's lines are {pitch} apart")
                bars = toolbars(qel)
                lens, aperture, blur = portrait.columns[0], portrait.columns[1], portrait.columns[3]
                top = bars[104][1]
                under_lens = ink_runs_below(shot, lens, top, top + 3 * (bars[104][3] - top))
                under_aperture = ink_runs_below(shot, aperture, top, top + 3 * (bars[104][3] - top))
                over_blur = ink_runs_below(shot, blur, top, top + 3 * (bars[104][3] - top))
                # Below the toolbar's picture: the name line; the blur column has no toolbar over it.
                check(under_lens[1][0] == over_blur[0][0] and under_aperture[1][0] >= over_blur[0][0]
                      and under_lens[1][0] >= bars[104][3],
                      f"{dpi} dpi: the name lines' ink starts at rows {under_lens[1][0]}, {under_aperture[1][0]} "
                      f"and {over_blur[0][0]} (lens, aperture, blur), the toolbar ends at {bars[104][3]}")
                quarters = pixel_scale_of(bars[104][2] - bars[104][0])
                check_picture(ctx, shot, bars[104], "IDTC10", True, quarters)
                check_picture(ctx, shot, bars[100], "IDDOF", True, quarters)
                check_picture(ctx, shot, bars[102], "IDCAMERA", False, quarters)
                print(f"e2e: minimum window at {dpi} dpi: client {kept}, portrait, lines {pitch} apart, name line "
                      f"from row {over_blur[0][0]} below toolbars ending at {bars[104][3]}", flush=True)
                qel.close()
            except Exception:
                qel.kill()
                raise
    finally:
        display.close()


@case
def tall_narrow_windows_in_portrait(ctx, sandboxes):
    """At 144 dpi a window asked to be 360 x 1500 (narrower than the narrowest) and one 640 x 1580
    take the portrait layout: the four scales across, the details below them with every line whole;
    the narrow one is the narrowest window, the other reads larger than the smallest text (side by
    side it could not even hold that)."""
    display = LargeDisplay(ctx.work, "1500x1700")
    try:
        def actions(qel, screen):
            harness_xdo(qel, "windowmove", qel.window, 0, 0)
            heights = {}
            for width, height in ((360, 1500), (640, 1580)):
                kept = resize_as_windows_keeps_it(qel, width, height)
                shot = qel.shot(f"{width}x{height}")
                check(shot.size == kept, f"{width} x {height}: the client {kept} shows as {shot.size}")
                portrait = L.Portrait(shot)
                rows = portrait.text_rows()
                pitch = min(b[0] - a[0] for a, b in zip(rows, rows[1:]))
                heights[width] = pitch
                check(shot.size[1] == height, f"{width} x {height}: the client is {shot.size}")
                check(len(rows) >= 6 and rows[-1][1] < portrait.details_bottom,
                      f"{width} x {height}: details rows {rows} not whole in the panel")
                print(f"e2e: {width} x {height} at 144 dpi: client {shot.size}, portrait, details line pitch {pitch}, "
                      f"{len(rows)} rows of text", flush=True)
                if width == 360:
                    check(360 < shot.size[0] <= 480, f"the narrowest window is {shot.size[0]} wide")
                    narrower = resize_as_windows_keeps_it(qel, shot.size[0] - 1, height)
                    check(narrower == shot.size, f"a window narrower than the narrowest: {narrower}")
            check(heights[360] >= 0.9 * readable(144) and heights[640] > heights[360],
                  f"the portrait lines are {heights} apart")

        box = sandbox_at(ctx, display, "tall_narrow", 144)
        peek.install(ctx, box)
        run_portrait(ctx, box, "tall_narrow", actions)
    finally:
        display.close()


def run_portrait(ctx, box, name, actions):
    qel = Qel(box, ctx.shots_dir, name)
    try:
        actions(qel, None)
        qel.close()
    except Exception:
        qel.kill()
        raise


@case
def stack_of_100_images_at_1500_by_400(ctx, sandboxes):
    """A stack of 100 images in a window 1500 x 400: its lines stand in every column the wide panel
    holds, the scroll bar beside them; the wheel takes the panel to its last lines."""
    display = LargeDisplay(ctx.work)
    box = sandbox_at(ctx, display, "stack_1500x400")
    box.write_settings(settings_with(mode="2", ni="100"))
    try:
        def columns_of_lines(screen):
            lay, px = screen.layout, screen.image.load()
            left, right = lay.columns[4]
            top = lay.scale_top - 4 * lay.u
            inked = [x for x in range(left + 1, right - 3 * lay.u)
                     if any(sum(px[x, y]) > 300 for y in range(top, lay.bottom))]
            starts = [x for i, x in enumerate(inked) if i == 0 or x - inked[i - 1] > 2 * lay.u]
            return starts

        def actions(qel, screen):
            harness_xdo(qel, "windowmove", qel.window, 0, 0)
            harness_xdo(qel, "windowsize", qel.window, 1500, 400)
            qel.settle(0.8)
            screen.refresh("1500x400")
            lay = screen.layout
            starts = columns_of_lines(screen)
            check(len(starts) >= 4, f"the 100 images' lines stand in {len(starts)} columns at {starts}")
            px = screen.image.load()
            bar = lay.columns[4][1] - 3 * lay.u
            thumb = [y for y in range(lay.height) if px[bar, y] == (192, 192, 192)]
            check(thumb, "no scroll bar beside the lines")
            qel.move(lay.columns[4][0] + 40, lay.height // 2)
            harness_xdo(qel, "click", "--repeat", "40", "--delay", "10", "5")
            qel.settle(0.5)
            screen.refresh("scrolled")
            px = screen.image.load()
            thumb_end = max(y for y in range(lay.height) if px[bar, y] == (192, 192, 192)) + 1
            check(thumb_end == lay.bottom - lay.u, f"after the wheel the thumb ends at {thumb_end}")
            check(len(columns_of_lines(screen)) == len(starts), "scrolled, the lines stand in other columns")
            print(f"e2e: 100 images at 1500 x 400: lines in {len(starts)} columns at x {starts}", flush=True)

        run(ctx, box, "stack_1500x400", actions)
    finally:
        display.close()


def check_line_widths(screen, label):
    """The distance lines, the scale line and the ticks of the lens scale as many pixels wide as
    the layout's pixel scale makes a line: the green focus line and the red near and far lines
    across the strip, the lens scale's vertical line and its ticks."""
    lay, px = screen.layout, screen.image.load()
    width = lay.scaled(1)
    check(lay.line_width == width, f"{label}: the strip's edge is {lay.line_width} pixels wide, not {width}")
    x = lay.strip_left + lay.strip_width // 3
    for colour, name, count in ((L.GREEN, "focus", 1), (L.RED, "near and far", 2)):
        runs = L.ink_runs_of(lambda y: px[x, y] == colour, lay.scale_top, lay.scale_bottom)
        check(len(runs) == count and all(b - a == width for a, b in runs),
              f"{label}: the {name} lines cover rows {runs}, not {count} of {width}")
    left, top, right, bottom = lay.scale(0)
    line_x = left + lay.scaled(8)
    columns = [xx for xx in range(line_x - 3, line_x + 6) if all(px[xx, y] == L.WHITE for y in range(top + 5, top + 40))]
    check(len(columns) == width, f"{label}: the lens scale line covers columns {columns}")
    ticks = L.ink_runs_of(lambda y: px[line_x + lay.scaled(6), y] == L.WHITE, top, bottom)
    check(ticks and all(b - a == width for a, b in ticks), f"{label}: lens ticks {ticks[:6]}, not {width} rows each")
    print(f"e2e: {label}: lines {width} pixels wide at {lay.pixel_scale():g}x", flush=True)


@case
def line_widths_at_192_dpi(ctx, sandboxes):
    """At 192 dpi the focus, near and far lines, the scale lines and the ticks are two pixels wide,
    and the toolbar pictures match the core's at the layout's button size; at 96 dpi one pixel."""
    display = LargeDisplay(ctx.work)
    try:
        for dpi in (192, 96):
            def actions(qel, screen):
                check_line_widths(screen, f"{dpi} dpi")
                screen.check_button("mode", 0, "IDDOF", True)
                screen.check_button("camera", 0, "IDCAMERA", False)
                screen.check_button("fstop", 0, "IDHALF", True)

            run(ctx, sandbox_at(ctx, display, f"lines_{dpi}", dpi), f"lines_{dpi}", actions)
    finally:
        display.close()


