"""End-to-end cases of mouse input on the scales, driven with real pointer events: drags and clicks
whose results are predicted here from the measured layout and the scales' mappings (never read back
from the program), the hover cursors, a rapid drag, and long use (the running program's object
counts and memory must come back to where they were)."""
import math
import subprocess
import threading
import time

from PIL import Image
from Xlib import display as xdisplay

import cases as C
import layout as L
import reference as R
from harness import Failure, check, xdo

FOOT = 304.8
METRE = 1000.0
FEET, METRES = "3", "5"  # the settings file's codes of the two units


# The scales as the Reference Manual describes them, read from a pointer row. The distance,
# lens and blur scales are linear in 1/value between the window's ends (the inverse of layout.py's
# mapping), the aperture scale evenly spaced in stops; the distance and aperture scales read the
# row under the pointer, the lens and blur scales move with the pointer like a strip of paper, and
# a right drag over the whole height changes a zoom by a factor of 3125. What snapping then makes
# of a value, and every result, comes from qel-calc (reference.py).

def recip_value(t, low, high):
    if high >= 0:
        return low / (1 - (1 - low / high) * t)
    return -1.0 if t >= 1 else low / (1 - t)


def absolute_fraction(y, top, bottom):
    y = min(max(y, top), bottom)
    return (y - bottom) / (top - bottom)


def relative_fraction(y, origin, top, bottom):
    """0.5 at the press row, moving by the pointer's rows over the scale's height."""
    y = min(max(y, top), bottom)
    return min(max(0.5 + (y - origin) / (bottom - top), 0.0), 1.0)


def zoom_factor(y, origin, top, bottom):
    y = min(max(y, top), bottom)
    return 3125.0 ** ((y - origin) / (bottom - top))


def aperture_at(y, top, bottom, first, last):
    """The f-number under row y of the aperture scale from `first` (bottom) to `last` (top)."""
    return first * (last / first) ** absolute_fraction(y, top, bottom)


def saved_number(text, key):
    return C.saved_value(text, key)


def path(start, *targets):
    """Rows visited one pixel at a time from start through each target in turn."""
    rows = []
    y = start
    for target in targets:
        step = 1 if target > y else -1
        while y != target:
            y += step
            rows.append(y)
    return rows


def drag(qel, x, start, rows, button=1, pause="0.001"):
    """Presses the button at client (x, start), moves through the rows (1 ms apart unless told
    otherwise) and releases where the last move ended."""
    wx, wy, _, _ = qel.geometry()
    steps = ["mousemove", wx + x, wy + start, "sleep", "0.05", "mousedown", button]
    for y in rows:
        steps += ["sleep", pause, "mousemove", wx + x, wy + y]
    steps += ["sleep", "0.05", "mouseup", button]
    xdo(*steps, env=qel.env)
    qel.settle(0.3)


def clear_row(target, value_at, is_clear, spread=6):
    """The row nearest `target` whose value is well clear of a rounding tie, and its value."""
    for d in sorted(range(-spread, spread + 1), key=abs):
        if is_clear(target + d):
            return target + d, value_at(target + d)
    raise Failure(f"every row near {target} maps to a rounding tie")


def raw_distance(y, lay, window):
    """The distance (mm) under row y of the distance scale, before snapping."""
    return recip_value(absolute_fraction(y, lay.scale_top, lay.scale_bottom), *window)


def distance_at_row(ctx, y, lay, window, units, effective_focal_length):
    """The focus distance a drag on the distance column stores for pointer row y: the fixed window
    read linearly in 1/distance, snapped in the display unit, no closer than twice the focal length."""
    raw = raw_distance(y, lay, window)
    v = raw if raw < 0 else R.snapped(ctx, "focus_at", raw, units=units)
    if 0 < v < 2 * effective_focal_length:
        v = 2 * effective_focal_length
    return v


def distance_is_clear(ctx, y, lay, window, units):
    raw = raw_distance(y, lay, window)
    return raw < 0 or R.rounds_clearly(ctx, "focus_at", raw, units=units)


def check_saved(saved, key, expected, places=2):
    got = saved_number(saved, key)
    check(abs(got - expected) <= 0.51 * 10 ** -places + 1e-9,
          f"saved {key} {C.setting(saved, key)}, expected {expected:.{places + 3}f}")


def red_marker_row(image, left, top, bottom):
    """The row of a marker triangle (tip at left + 8) found by its red pixels at left + 5."""
    px = image.load()
    rows = [y for y in range(top - 10, bottom + 10) if px[left + 5, y] == L.RED]
    check(rows, f"no red marker at x = {left + 5}")
    return (rows[0] + rows[-1]) // 2


@C.case
def focus_drag_exact(ctx, sandboxes):
    """Dragging the focus line out of the window's top sets infinity. A double click on the distance
    column then sets the distance under the pointer twice: its second press is a press too. Dragging the focus line up and down sets
    focus_at to the distance of the last row, read in the window on screen at the press and snapped
    in the display unit; a second drag past the bottom of the scale and back maps through the
    re-centred window. Then, in metres with a 100 mm lens behind a 2x teleconverter, a drag below
    the scale (and out of the window) stops at twice the effective focal length."""
    box = sandboxes.new()
    expected = {}

    def feet(qel, screen):
        near, far, window = R.depth_of_field(ctx)
        C.check_distance_lines(screen, near, 1219.2, far, window, C.FOOT)
        lay = screen.layout
        x = lay.strip_left + 20

        def at(y, win):
            return distance_at_row(ctx, y, lay, win, FEET, 50)

        def clear(y, win):
            return distance_is_clear(ctx, y, lay, win, FEET)

        # Up past the top of the window (negative client rows) to the scale's top row: infinity.
        y0 = focus_row(screen)
        drag(qel, x + 10, y0, path(y0, -30))
        check(at(-30, window) == -1, "the top row does not predict infinity")
        screen.refresh("infinity")
        near, far, window = R.depth_of_field(ctx, focus_at=-1)
        check(abs(focus_row(screen) - lay.scale_top) <= 1, f"the focus line at row {focus_row(screen)}, "
              f"not on the top row {lay.scale_top} after a drag to infinity")
        near_row = L.distance_row(near, window[0], window[1], FOOT, lay.scale_top, lay.scale_bottom)
        px = screen.image.load()
        check(any(L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.RED) > 40
                  for y in (near_row - 1, near_row, near_row + 1)),
              f"no near line at the hyperfocal distance's row {near_row}")
        # A double click: the first click sets the distance under the pointer and its release
        # re-centres the window; the second press (a double-click message) is a press like any
        # other and reads the re-centred window, so a drag started soon after another is not lost.
        # A row near the middle where the two presses read different distances, neither at a
        # rounding tie.
        ya = va = vb = None
        mid = (lay.scale_top + lay.scale_bottom) // 2
        for y in sorted(range(lay.scale_top + 20, lay.scale_bottom - 20), key=lambda y: abs(y - mid)):
            if raw_distance(y, lay, window) < 0 or not clear(y, window):
                continue
            first = at(y, window)
            recentred = R.depth_of_field(ctx, focus_at=first)[2]
            second = at(y, recentred)
            if raw_distance(y, lay, recentred) >= 0 and clear(y, recentred) and abs(second - first) > 30:
                ya, va, vb = y, first, second
                break
        check(ya is not None, "no row where a second press would read another distance")
        wx, wy, _, _ = qel.geometry()
        xdo("mousemove", wx + x - 10, wy + ya, "sleep", "0.05", "mousedown", 1, "sleep", "0.03", "mouseup", 1,
            "sleep", "0.08", "mousedown", 1, "sleep", "0.03", "mouseup", 1, env=qel.env)
        qel.settle(0.3)
        screen.refresh("double-click")
        neara, fara, windowa = R.depth_of_field(ctx, focus_at=vb)
        rows = C.check_distance_lines(screen, neara, vb, fara, windowa, C.FOOT)
        y0 = rows["focus"]
        end, v1 = clear_row(y0 - 25, lambda y: at(y, windowa), lambda y: clear(y, windowa))
        drag(qel, x, y0, path(y0, y0 - 60, end))
        check(v1 > vb, f"the prediction {v1} is not farther than {vb}")
        screen.refresh("first-drag")
        near1, far1, window1 = R.depth_of_field(ctx, focus_at=v1)
        rows = C.check_distance_lines(screen, near1, v1, far1, window1, C.FOOT)
        # The second press on another column of the strip, so it is no double click.
        y1 = rows["focus"]
        end, v2 = clear_row(lay.scale_bottom - 40, lambda y: at(y, window1), lambda y: clear(y, window1))
        drag(qel, x + 20, y1, path(y1, lay.scale_bottom + 12, end))
        expected["feet"] = v2
        screen.refresh("second-drag")
        near2, far2, window2 = R.depth_of_field(ctx, focus_at=v2)
        C.check_distance_lines(screen, near2, v2, far2, window2, C.FOOT)

    saved = C.run(ctx, box, "focus_drag_feet", feet)
    check_saved(saved, "focus_at", expected["feet"])

    box = sandboxes.new()
    # f/4, f/8 behind the converter: close to 1:1 the sensor sees about f/16, which still leaves
    # some depth of field, so the near and far lines stand apart from the focus line.
    lens = {"units": METRES, "focal_length": "100.00", "teleconverter": "2.00000", "f_stop": "4.00000"}
    box.write_settings(C.settings_with(focus_at="405.00", **lens))

    def metres(qel, screen):
        near, far, window = R.depth_of_field(ctx, focus_at="405.00", **lens)
        rows = C.check_distance_lines(screen, near, 405, far, window, METRE)
        lay = screen.layout
        bottom_value = R.snapped(ctx, "focus_at", window[0], units=METRES)
        check(bottom_value < 400, f"the scale's bottom value {bottom_value} mm does not test the 2f rule")
        _, _, _, client_height = qel.geometry()
        y0 = rows["focus"]
        drag(qel, lay.strip_left + 30, y0, path(y0, client_height + 20))
        v = distance_at_row(ctx, client_height + 20, lay, window, METRES, 200)
        check(v == 400, f"the prediction {v} is not twice the effective focal length")
        screen.refresh("below-the-scale")
        near1, far1, window1 = R.depth_of_field(ctx, focus_at=400.0, **lens)
        C.check_distance_lines(screen, near1, 400, far1, window1, METRE)

    saved = C.run(ctx, box, "focus_drag_metres", metres)
    check_saved(saved, "focus_at", 400)


@C.case
def aperture_clicks(ctx, sandboxes):
    """A click on the aperture scale sets the stop under the pointer (absolute, snapped to the
    half-stop table); its top row gives f/128, its last row the table's first entry, and the row
    just below the scale nothing."""
    first, last = R.snapped(ctx, "f_stop", 0.1), R.snapped(ctx, "f_stop", 1000.0)
    check(abs(first - 0.70711) < 5e-6 and abs(last - 128) < 1e-9, f"the stops run from f/{first} to f/{last}")
    box = sandboxes.new()

    def stop_at(y, top_row, bottom):
        return R.snapped(ctx, "f_stop", aperture_at(y, top_row, bottom, first, last))

    def top(qel, screen):
        lay = screen.layout
        left, top_row, right, bottom = lay.scale(1)
        x = left + 20
        # A middle row well clear of the midpoint between two stops.
        for y in range(top_row + (bottom - top_row) * 2 // 5, bottom):
            if R.rounds_clearly(ctx, "f_stop", aperture_at(y, top_row, bottom, first, last), margin=0.01):
                break
        s = stop_at(y, top_row, bottom)
        qel.click(x, y)
        screen.refresh("middle-stop")
        marker = red_marker_row(screen.image, left, top_row, bottom)
        predicted = L.round_half_away(bottom + (top_row - bottom) * (math.log(s) - math.log(first)) /
                                      (math.log(last) - math.log(first)))
        check(abs(marker - predicted) <= 1, f"aperture marker at row {marker}, f/{s:.3f} belongs at {predicted}")
        check(s != R.snapped(ctx, "f_stop", 8.0), "the middle click predicts the starting f/8 and shows nothing")
        qel.click(x, top_row)

    saved = C.run(ctx, box, "aperture_top", top)
    # Saved with the decimals it takes to read back as the very same f-number.
    check(C.saved_value(saved, "f_stop") == last, f"top row saved f_stop {C.setting(saved, 'f_stop')}")

    box = sandboxes.new()

    def bottom(qel, screen):
        lay = screen.layout
        left, top_row, right, bottom_row = lay.scale(1)
        before = screen.image
        qel.click(left + 20, bottom_row)  # just below the scale rectangle: not on the scale
        screen.refresh("below-aperture")
        check(list(screen.image.getdata()) == list(before.getdata()), "a click below the aperture scale changed the display")
        time.sleep(0.5)  # the next press is no second click of a double click
        qel.click(left + 20, bottom_row - 1)
        check(stop_at(bottom_row - 1, top_row, bottom_row) == first,
              "the last row of the aperture scale does not predict the first stop")

    saved = C.run(ctx, box, "aperture_bottom", bottom)
    # Saved with the decimals it takes to read back as the very same f-number.
    check(C.saved_value(saved, "f_stop") == first, f"bottom row saved f_stop {C.setting(saved, 'f_stop')}")


@C.case
def lens_drag_round(ctx, sandboxes):
    """Dragging the lens scale a few pixels up lowers the focal length to the round value under the
    scale's middle row (the scale follows the pointer, mapped through the window at the press); a
    second drag down from the re-centred window raises it again. The marker stays in the middle.
    A right drag down zooms the lens scale."""
    box = sandboxes.new()
    expected = {}

    def actions(qel, screen):
        lay = screen.layout
        left, top, right, bottom = lay.scale(0)
        x = left + 24
        window = R.state(ctx)

        def raw_at(origin):
            return lambda y: recip_value(relative_fraction(y, origin, top, bottom), window["fl_low"], window["fl_high"])

        def round_at(origin):
            return lambda y: R.snapped(ctx, "focal_length", raw_at(origin)(y))

        def clear_at(origin):
            return lambda y: R.rounds_clearly(ctx, "focal_length", raw_at(origin)(y))

        y0 = (top + bottom) // 2 + 30
        end, v1 = clear_row(y0 - 6, round_at(y0), clear_at(y0), spread=3)
        check(end < y0, "the first lens drag does not go up")
        drag(qel, x, y0, path(y0, end))
        check(v1 < 50 and R.snapped(ctx, "focal_length", v1) == v1, f"the prediction {v1} is not a smaller round value")
        screen.refresh("lens-up")
        marker = red_marker_row(screen.image, left, top, bottom)
        middle = L.fraction_to_y(0.5, top, bottom)
        check(abs(marker - middle) <= 1, f"the lens marker at row {marker}, not in the middle ({middle})")
        window = R.state(ctx, focal_length=v1)
        # Down by the fewest pixels that reach a round value other than v1 and the starting 50 mm,
        # so that the saved value tells both drags happened.
        y1 = y0 - 40
        end = v2 = None
        for d in range(1, 12):
            if clear_at(y1)(y1 + d) and round_at(y1)(y1 + d) not in (v1, 50):
                end, v2 = y1 + d, round_at(y1)(y1 + d)
                break
        check(end is not None and v2 > v1, f"no short drag down predicts a new value above {v1}")
        drag(qel, x + 6, y1, path(y1, end))
        expected["v1"], expected["v2"] = v1, v2
        # The right button zooms the lens scale: 10 pixels down multiply fl_zoom by 3125^(10 / height).
        y2 = y0 + 20
        drag(qel, x - 6, y2, path(y2, y2 + 10), button=3)
        expected["zoom"] = min(max(5.0 * zoom_factor(y2 + 10, y2, top, bottom), 1.5), 32.0)
        screen.refresh("lens-zoom")

    saved = C.run(ctx, box, "lens_drag", actions)
    got = saved_number(saved, "focal_length")
    check(R.snapped(ctx, "focal_length", got) == got, f"saved focal_length {got} is not a round value")
    check_saved(saved, "focal_length", expected["v2"])
    check(expected["zoom"] > 5, "the lens zoom predicts no change")
    check_saved(saved, "fl_zoom", expected["zoom"])


@C.case
def blur_and_maxblur_drags(ctx, sandboxes):
    """A right drag on the blur scale zooms it: up past the top divides the zoom down to its limit
    1.5; then 15 pixels down multiplies by 3125^(15 / scale height). A left drag of 5 pixels up then
    lowers blur_threshold to the round value read in the zoomed window, and a right drag down the
    distance column scales maxblur, which widens the distance window. All of it is saved."""
    box = sandboxes.new()
    expected = {}

    def actions(qel, screen):
        lay = screen.layout
        left, top, right, bottom = lay.scale(3)
        x = left + 20
        y0 = (top + bottom) // 2
        before = screen.image.crop((left, top, right, bottom))
        drag(qel, x, y0, path(y0, top - 40), button=3)
        z1 = min(max(5.0 * zoom_factor(top - 40, y0, top, bottom), 1.5), 32.0)
        check(z1 == 1.5, f"the prediction {z1} is not the lower limit")
        screen.refresh("blur-zoom-out")
        after = screen.image.crop((left, top, right, bottom))
        check(list(after.getdata()) != list(before.getdata()), "zooming out left the blur scale as it was")
        y1 = y0 + 30
        drag(qel, x + 5, y1, path(y1, y1 + 15), button=3)
        zoom = min(max(z1 * zoom_factor(y1 + 15, y1, top, bottom), 1.5), 32.0)
        check(zoom > 1.5, "the second zoom predicts no change")
        screen.refresh("blur-zoom-in")
        window = R.state(ctx, blur_zoom=zoom)
        y2 = y0 - 20

        def raw(y):
            return recip_value(relative_fraction(y, y2, top, bottom), window["blur_low"], window["blur_high"])

        # An allowed blur rounds as a focal length does.
        end, threshold = clear_row(y2 - 5, lambda y: R.snapped(ctx, "focal_length", raw(y)),
                                   lambda y: R.rounds_clearly(ctx, "focal_length", raw(y)), spread=2)
        drag(qel, x - 5, y2, path(y2, end))
        check(threshold < 1, f"the prediction {threshold} is not below 1")
        screen.refresh("blur-threshold")
        # maxblur: a right drag on the distance column, 20 pixels down.
        distance_x = lay.strip_left + 30
        y3 = (lay.scale_top + lay.scale_bottom) // 2
        drag(qel, distance_x, y3, path(y3, y3 + 20), button=3)
        maxblur = min(max(16 * zoom_factor(y3 + 20, y3, lay.scale_top, lay.scale_bottom), 0.01), 10000.0)
        screen.refresh("maxblur")
        near, far, window = R.depth_of_field(ctx, blur_threshold=threshold, maxblur=maxblur)
        C.check_distance_lines(screen, near, 1219.2, far, window, C.FOOT)
        expected.update(zoom=zoom, threshold=threshold, maxblur=maxblur)

    saved = C.run(ctx, box, "blur_drags", actions)
    check_saved(saved, "blur_zoom", expected["zoom"])
    check_saved(saved, "blur_threshold", expected["threshold"], places=5)
    check_saved(saved, "maxblur", expected["maxblur"])
    check_saved(saved, "focus_at", 1219.2)


# ---- cursors -------------------------------------------------------------------------------------

class CursorReader:
    """Reads the pointer's current X cursor image (XFixes) and tells the drag cursor, a vertical double
    arrow with its hot spot in the middle, from the arrow, whose hot spot is its top left tip. The
    images carry a soft shadow, so only their nearly opaque pixels count."""

    def __init__(self, display_name):
        self.display = xdisplay.Display(display_name)
        self.display.xfixes_query_version()

    def kind(self):
        image = self.display.xfixes_get_cursor_image(self.display.screen().root)
        w, h = image.width, image.height
        solid = [(x, y) for y in range(h) for x in range(w) if (image.cursor_image[y * w + x] >> 24) >= 0xc0]
        if not solid:
            return "none"
        x0, x1 = min(x for x, _ in solid), max(x for x, _ in solid)
        y0, y1 = min(y for _, y in solid), max(y for _, y in solid)
        hx, hy = image.xhot, image.yhot
        if abs(hx - (x0 + x1) / 2) <= 3 and abs(hy - (y0 + y1) / 2) <= 3 and y1 - y0 > x1 - x0:
            return "drag"
        if abs(hx - x0) <= 3 and abs(hy - y0) <= 3:
            return "arrow"
        return f"other ({w}x{h}, solid {x0},{y0}..{x1},{y1}, hot spot {hx},{hy})"

    def close(self):
        self.display.close()


def hover_kind(qel, reader, x, y):
    qel.move(x, y)
    time.sleep(0.08)
    return reader.kind()


@C.case
def hover_cursors(ctx, sandboxes):
    """Resting the pointer shows the drag cursor over the scales the mode lets the user drag and the
    arrow elsewhere, the toolbars included; the scale rectangles' right and bottom edges lie outside them; in BestFStop only
    the rows within 5 pixels of the near and far lines offer a drag and the aperture scale ignores a
    click; in Macro the distance column leaves the cursor as it was and ignores a click."""
    box = sandboxes.new()

    def actions(qel, screen):
        reader = CursorReader(qel.env["DISPLAY"])
        try:
            run_hover(qel, screen, reader)
        finally:
            reader.close()

    def expect(qel, reader, label, x, y, kind):
        got = hover_kind(qel, reader, x, y)
        check(got == kind, f"{label} at ({x}, {y}): cursor {got}, expected {kind}")

    def run_hover(qel, screen, reader):
        lay = screen.layout
        lens, aperture, distance, blur = (lay.scale(c) for c in range(4))
        details_x = (lay.columns[4][0] + lay.columns[4][1]) // 2
        mid = (lay.scale_top + lay.scale_bottom) // 2
        e = lambda *a: expect(qel, reader, *a)  # noqa: E731
        e("details column", details_x, mid, "arrow")
        e("distance column", lay.strip_left + 30, mid, "drag")
        e("distance scale top left", distance[0], distance[1], "drag")
        e("distance scale last pixel", distance[2] - 1, distance[3] - 1, "drag")
        e("below the distance scale", lay.strip_left + 30, distance[3], "arrow")
        e("right of the distance scale", distance[2], mid, "arrow")
        e("distance caption", lay.strip_left + 30, distance[1] - 3, "arrow")
        e("aperture scale", aperture[0] + 20, mid, "drag")
        e("gap between columns", lay.columns[1][1] + lay.u // 2, mid, "arrow")
        e("lens scale", lens[0] + 20, mid, "drag")
        e("teleconverter button after the lens scale", *screen.button_centre("teleconverter", 0), "arrow")
        e("lens scale again", lens[0] + 20, mid, "drag")
        e("lens scale right edge", lens[2], mid, "arrow")
        e("blur scale", blur[0] + 20, mid, "drag")
        e("details again", details_x, mid, "arrow")

        screen.click("mode", 1, settle=0.5)  # BestFStop
        screen.refresh("best-f-stop")
        px = screen.image.load()
        reds = [y for y in range(lay.scale_top, lay.scale_bottom + 1)
                if L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.RED) > 40]
        check(len(reds) == 2 and reds[1] - reds[0] > 30, f"BestFStop near and far lines at rows {reds}")
        far_row, near_row = reds
        x = lay.strip_left + 30
        e("aperture scale in BestFStop", aperture[0] + 20, mid, "arrow")
        e("blur scale in BestFStop", blur[0] + 20, mid, "arrow")
        e("lens scale in BestFStop", lens[0] + 20, mid, "drag")
        e("near line", x, near_row, "drag")
        e("5 rows below the near line", x, near_row + 5, "drag")
        e("6 rows below the near line", x, near_row + 6, "arrow")
        e("5 rows above the far line", x, far_row - 5, "drag")
        e("6 rows above the far line", x, far_row - 6, "arrow")
        e("between the lines", x, (near_row + far_row) // 2, "arrow")
        shown = screen.image
        qel.click(aperture[0] + 20, aperture[1] + 10)
        check(list(screen.refresh("aperture-ignored").image.getdata()) == list(shown.getdata()),
              "a click on the aperture scale changed the display in BestFStop")

        screen.click("mode", 4, settle=0.5)  # Macro
        e("lens scale in Macro", lens[0] + 20, mid, "drag")
        e("distance column after the lens scale", x, mid, "drag")
        e("details in Macro", details_x, mid, "arrow")
        e("distance column after the details", x, mid, "arrow")
        shown = screen.refresh("macro").image
        qel.click(x, mid - 40)
        check(list(screen.refresh("distance-ignored").image.getdata()) == list(shown.getdata()),
              "a click on the distance column changed the display in Macro")

    saved = C.run(ctx, box, "hover", actions)
    check(C.setting(saved, "f_stop") == "8.00000", f"saved f_stop {C.setting(saved, 'f_stop')} after the ignored click")
    check(C.setting(saved, "focus_at") == "1219.20", f"saved focus_at {C.setting(saved, 'focus_at')} after the ignored click")


# ---- rapid and long use --------------------------------------------------------------------------

def probe(qel):
    """What qel-probe.exe reports about the running program (object counts, memory, answers)."""
    r = subprocess.run(["wine", r"C:\Qel\qel-probe.exe"], cwd=qel.sandbox.program_folder, env=qel.env,
                       capture_output=True, text=True, timeout=60)
    check(r.returncode == 0, f"qel-probe.exe failed with {r.returncode}: {r.stderr.strip()[-300:]}")
    values = {}
    for line in r.stdout.splitlines():
        key, _, value = line.partition(" ")
        values[key] = int(value) if value.lstrip("-").isdigit() else value
    for key in ("gdi", "user", "working_set", "pagefile", "responds"):
        check(key in values, f"qel-probe.exe did not report {key}: {r.stdout!r}")
    check(values["gdi"] > 0, f"qel-probe.exe could not count GDI objects: {values}")
    return values


def raw_grab(qel, path_png):
    subprocess.run(["import", "-window", qel.window, path_png], env=qel.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Image.open(path_png).convert("RGB")


def check_whole_frame(image, label):
    """A frame caught mid-drag must be a whole frame: five intact black panels with no background
    showing through, one focus line and the near and far lines across the strip."""
    lay = L.Layout(image).check_rules()
    px = image.load()
    # The background is dark grey; a strip row may hold a few pixels of that colour, a half-painted
    # column a whole run of them.
    for left, right in lay.columns:
        for y in range(lay.panel_top, lay.bottom):
            run = 0
            for x in range(left, right):
                run = run + 1 if px[x, y] == L.DARK_GREY else 0
                check(run < 6, f"{label}: the background shows in the column at {left}..{right}, row {y}")
    greens = [y for y in range(lay.scale_top, lay.scale_bottom + 1)
              if L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.GREEN) > 40]
    reds = [y for y in range(lay.scale_top, lay.scale_bottom + 1)
            if L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.RED) > 40]
    check(len(greens) == 1 and len(reds) == 2 and reds[0] < greens[0] < reds[1],
          f"{label}: focus line rows {greens}, near and far rows {reds}")


def focus_row(screen):
    """The row of the one green focus line across the strip."""
    lay = screen.layout
    px = screen.image.load()
    greens = [y for y in range(lay.scale_top, lay.scale_bottom + 1)
              if L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.GREEN) > 40]
    check(len(greens) == 1, f"expected one focus line, found rows {greens}")
    return greens[0]


def oscillating_rows(start, amplitude, count):
    """count rows swinging between start - amplitude and start + amplitude, one pixel apart."""
    rows = []
    y, step = start, -1
    while len(rows) < count:
        y += step
        if abs(y - start) >= amplitude:
            step = -step
        rows.append(y)
    return rows


@C.case
def rapid_drag(ctx, sandboxes):
    """A thousand moves 1 ms apart while the focus line is held: every frame caught on the way is a
    whole frame with one focus line between its near and far lines, and afterwards the window still
    answers (the title, a mode button) and holds as many GDI objects as before. (Wine keeps its own
    copy of a window's pixels and sends it to X after painting, so under Wine a half-painted frame
    would not be seen even without the program's off-screen painting.)"""
    box = sandboxes.new()

    def actions(qel, screen):
        lay = screen.layout
        near, far, window = R.depth_of_field(ctx)
        rows = C.check_distance_lines(screen, near, 1219.2, far, window, C.FOOT)
        x = lay.strip_left + 25
        y0 = rows["focus"]
        drag(qel, x, y0, oscillating_rows(y0, 30, 100))  # warm-up
        before = probe(qel)
        frames = []
        done = threading.Event()

        def grab():
            k = 0
            while not done.is_set() and k < 8:
                k += 1
                png = f"{qel.shots_dir}/{qel.name}-middrag-{k:02d}.png"
                image = raw_grab(qel, png)
                if not done.is_set():
                    frames.append((png, image))

        grabber = threading.Thread(target=grab)
        y1 = focus_row(screen.refresh("warmed-up"))
        grabber.start()
        began = time.time()
        try:
            drag(qel, x + 10, y1, oscillating_rows(y1, 40, 1000))
        finally:
            print(f"e2e: rapid_drag: 1000 moves in {time.time() - began:.1f} s, {len(frames)} frames", flush=True)
            done.set()
            grabber.join()
        check(len(frames) >= 2, f"only {len(frames)} frames were caught during the drag")
        distinct = {image.tobytes() for _, image in frames}
        check(len(distinct) >= 2, "every frame caught during the drag shows the same picture")
        for png, image in frames:
            check_whole_frame(image, png)
        after = probe(qel)
        check(after["responds"] == 1, "the window does not answer messages after the drag")
        check(after["gdi"] == before["gdi"], f"GDI objects {before['gdi']} before the drag, {after['gdi']} after")
        check(qel.title() == C.DEFAULT_TITLE, f"title after the drag {qel.title()!r}")
        previous = screen.refresh("after-rapid-drag").image
        screen.click("mode", 2, settle=0.5)
        screen.refresh("focus-stacking")
        C.check_mode_buttons(screen, 2)
        check(list(screen.image.getdata()) != list(previous.getdata()), "the mode button left the display unchanged")

    saved = C.run(ctx, box, "rapid_drag", actions)
    check(C.setting(saved, "mode") == "2", f"saved mode {C.setting(saved, 'mode')}")


MEMORY_TOLERANCE = 128 * 1024  # bytes a heap may keep after a busy spell (a clean run grows by 0)


@C.case
def long_use(ctx, sandboxes):
    """A thousand drag moves on the distance, lens and blur scales and a hundred mode and unit changes
    leave the program with the GDI and USER objects and the memory it had after a warm-up, and the
    window still answers."""
    box = sandboxes.new()
    result = {}

    def actions(qel, screen):
        lay = screen.layout
        wx, wy, ww, wh = qel.geometry()
        mid = (lay.scale_top + lay.scale_bottom) // 2
        lens, _, _, blur = (lay.scale(c) for c in range(4))
        modes = [qel.to_screen(*screen.button_centre("mode", k)) for k in range(5)]
        units_button = qel.to_screen(*screen.button_centre("units", 0))
        # Learn where the units menu puts feet and metres.
        items, (mx, my, mw, mh), _ = screen.choose("units", 0, 5, "units-menu", expected_items=6, checked=[3])
        item_x = mx + mw // 2
        feet_y, metres_y = items[3], items[5]

        def drags(moves):
            steps = []
            for x, count in ((lay.strip_left + 25, moves // 2), (lens[0] + 20, moves // 4), (blur[0] + 20, moves // 4)):
                steps += ["mousemove", wx + x, wy + mid, "sleep", "0.03", "mousedown", 1]
                for y in oscillating_rows(mid, 50, count):
                    steps += ["sleep", "0.001", "mousemove", wx + x, wy + y]
                steps += ["sleep", "0.03", "mouseup", 1, "sleep", "0.05"]
            xdo(*steps, env=qel.env)

        def changes(blocks):
            """Each block: two mode clicks, back to depth of field, and a unit change by the menu
            (metres and feet in turn): four changes."""
            click = ["mousedown", 1, "sleep", "0.01", "mouseup", 1]
            for first in range(0, blocks, 5):
                steps = []
                for i in range(first, min(blocks, first + 5)):
                    for k in (1 + (2 * i) % 4, 1 + (2 * i + 1) % 4, 0):
                        steps += ["mousemove", *modes[k], *click, "sleep", "0.02"]
                    steps += ["mousemove", *units_button, *click, "sleep", "0.12",
                              "mousemove", item_x, feet_y if i % 2 == 0 else metres_y, *click, "sleep", "0.04"]
                xdo(*steps, env=qel.env)
            xdo("mousemove", wx + ww - 2, wy + wh - 2, env=qel.env)
            qel.settle(0.4)

        drags(200)
        changes(4)  # ends in metres
        before = probe(qel)
        began = time.time()
        drags(1000)
        changes(25)  # 75 mode and 25 unit changes; ends in feet
        result["stress"] = time.time() - began
        after = probe(qel)
        result["before"], result["after"] = before, after
        check(len(qel.windows()) == 1, f"windows left open after the changes: {qel.windows()}")
        check(after["responds"] == 1, "the window does not answer messages after long use")
        check(after["gdi"] == before["gdi"], f"GDI objects {before['gdi']} after the warm-up, {after['gdi']} after long use")
        check(after["user"] == before["user"], f"USER objects ({before['user_source']}) {before['user']} after the "
              f"warm-up, {after['user']} after long use")
        for key in ("pagefile", "working_set"):
            grown = after[key] - before[key]
            check(grown <= MEMORY_TOLERANCE, f"{key} grew by {grown // 1024} KiB during long use "
                  f"({before[key] // 1024} to {after[key] // 1024} KiB)")
        check(qel.title() == C.DEFAULT_TITLE, f"title after long use {qel.title()!r}")
        previous = screen.refresh("after-long-use").image
        C.check_mode_buttons(screen, 0)
        screen.check_button("units", 0, "IDFT", False)
        screen.click("mode", 3, settle=0.5)
        screen.refresh("blur-mode")
        C.check_mode_buttons(screen, 3)
        check(list(screen.image.getdata()) != list(previous.getdata()), "the mode button left the display unchanged")

    saved = C.run(ctx, box, "long_use", actions)
    check((C.setting(saved, "mode"), C.setting(saved, "units")) == ("3", "3"),
          f"saved mode {C.setting(saved, 'mode')}, units {C.setting(saved, 'units')}")
    b, a = result["before"], result["after"]
    print(f"e2e: long_use: gdi {b['gdi']} -> {a['gdi']} ({b['gdi_source']}), user {b['user']} -> {a['user']} "
          f"({b['user_source']}), anonymous memory {b['pagefile'] // 1024} -> {a['pagefile'] // 1024} KiB, "
          f"working set {b['working_set'] // 1024} -> {a['working_set'] // 1024} KiB, "
          f"stress {result['stress']:.1f} s", flush=True)


@C.case
def object_line_beyond_the_scale(ctx, sandboxes):
    """Blur mode with a 300 mm lens at f/2 focused at 2 m: the distance window is a few centimetres
    deep and the object at infinity lies far above it. Its red line is drawn on the scale's top row
    with its triangle, and a press there takes hold of it: dragged down, the object comes into the
    window around the focus."""
    box = sandboxes.new()
    box.write_settings(C.settings_with(mode="3", focal_length="300.00", f_stop="2.00000", focus_at="2000.00",
                                       blur_distance="-1.00"))

    def actions(qel, screen):
        lay = screen.layout
        px = screen.image.load()
        reds = [y for y in range(lay.scale_top, lay.scale_bottom + 1)
                if L.row_colour_run(px, y, lay.strip_left + 1, lay.line_x - 8, L.RED) > 40]
        check(reds and reds[0] == lay.scale_top, f"no red object line on the scale's top row (red rows {reds})")
        check(px[lay.line_x - 4, lay.scale_top] == L.RED, "the object line has no triangle at the top")
        x = lay.strip_left + 30
        drag(qel, x, lay.scale_top, path(lay.scale_top, lay.scale_top + 60))

    saved = C.run(ctx, box, "object_beyond", actions)
    object_mm = saved_number(saved, "blur_distance")
    check(0 < object_mm < 2500, f"the object line was not taken hold of: blur_distance {object_mm}")
