"""The Quick Start followed literally, from a first start: every step with real mouse and key
input, in the order the guide gives, and every reading it quotes checked against what the program
then shows (its saved settings, shown through qel-calc, as the next start shows them)."""
import math
import os
import subprocess

import cases as C
import layout as L
import reference as R
from cases_drag import (METRES, distance_at_row, distance_is_clear, drag, path, raw_distance, recip_value,
                        relative_fraction)
from harness import Failure, check, xdo

METRE = 1000.0
DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")


def show(ctx, path):
    """`qel-calc show` of a settings file: the captions and the details panel, line by line."""
    r = subprocess.run([ctx.qel_calc, "show", path], capture_output=True, text=True, timeout=30)
    check(r.returncode == 0, f"qel-calc show {path}: {r.stderr}")
    return r.stdout.splitlines()


def state(ctx, box):
    """`qel-calc state` of the saved settings: what the program computes at its next start."""
    r = subprocess.run([ctx.qel_calc, "state", box.settings_path()], capture_output=True, text=True, timeout=30)
    check(r.returncode == 0, f"qel-calc state: {r.stderr}")
    values = {}
    for line in r.stdout.splitlines():
        name, _, rest = line.partition(" ")
        values[name] = [float(v) for v in rest.split()] if name == "focus_points" else float(rest)
    return values


def check_readings(ctx, box, example, step):
    """Everything the window shows for the saved settings is what the guide quotes from `example`."""
    got = show(ctx, box.settings_path())
    expected = show(ctx, os.path.join(DOCS, "examples", example))
    for mine, theirs in zip(got, expected):
        check(mine == theirs, f"{step}: the program shows {mine!r}, the Quick Start quotes {theirs!r}")
    check(len(got) == len(expected), f"{step}: {len(got)} lines shown, {len(expected)} quoted")


def window(values):
    return values["maxblur_near"], values["maxblur_far"]


def rows_near(lay, win, value_mm, count=12):
    """The distance scale's rows whose unsnapped distance lies nearest `value_mm`."""
    def off(y):
        raw = raw_distance(y, lay, win)
        return abs(raw - value_mm) if (raw < 0) == (value_mm < 0) else float("inf")
    return sorted(range(lay.scale_top, lay.scale_bottom + 1), key=off)[:count]


def row_for(ctx, lay, win, value_mm, effective_focal_length, near=None):
    """A scale row (clear of rounding ties) where a drag on the distance column stores exactly
    `value_mm`, the one nearest `near` when given."""
    rows = [y for y in rows_near(lay, win, value_mm)
            if distance_at_row(ctx, y, lay, win, METRES, effective_focal_length) == value_mm
            and distance_is_clear(ctx, y, lay, win, METRES)]
    check(rows, f"no row of the distance scale reads {value_mm / METRE} m")
    return min(rows, key=lambda y: abs(y - (near if near is not None else y)))


def line_row(lay, win, value_mm):
    return L.distance_row(value_mm, win[0], win[1], METRE, lay.scale_top, lay.scale_bottom)


def drag_lens_to(ctx, qel, screen, now_mm, target_mm):
    """Drags the lens scale (which moves with the pointer, mapped through the window at the press)
    until the focal length under the marker is `target_mm`."""
    lay = screen.layout
    left, top, right, bottom = lay.scale(0)
    window = R.state(ctx, focal_length=now_mm)
    y0 = (top + bottom) // 2

    def raw(y):
        return recip_value(relative_fraction(y, y0, top, bottom), window["fl_low"], window["fl_high"])

    near_target = sorted(range(top, bottom + 1), key=lambda y: abs(raw(y) - target_mm))[:12]
    ends = [y for y in near_target if R.snapped(ctx, "focal_length", raw(y)) == target_mm
            and R.rounds_clearly(ctx, "focal_length", raw(y))]
    check(ends, f"no lens drag from {now_mm} mm reaches {target_mm} mm")
    end = min(ends, key=lambda y: abs(y - y0))
    drag(qel, left + 24, y0, path(y0, end))


def click_aperture(ctx, qel, screen, f_number):
    """Clicks the aperture scale on the tick of a whole stop."""
    first, last, stop = (R.snapped(ctx, "f_stop", n) for n in (0.1, 1000.0, f_number))
    left, top, right, bottom = screen.layout.scale(1)
    y = L.round_half_away(bottom + (top - bottom) * (math.log(stop) - math.log(first)) /
                          (math.log(last) - math.log(first)))
    qel.click(left + 20, y)
    return stop


@C.case
def quick_start(ctx, sandboxes):
    """The Quick Start, step by step, on a first start. Between drags the program is closed and
    started again, as a user may: it comes back exactly as left, and the saved settings give the
    scale windows the next drag reads."""
    box = sandboxes.new()
    strip_x = {}

    # Step 1: metres. Step 2: depth of field mode, 50 mm (as it starts), f/8, focused at 3 m.
    def step_2(qel, screen):
        screen.choose("units", 0, -1, "units-m")
        screen.click("mode", 0)
        click_aperture(ctx, qel, screen, 8)
        strip_x["x"] = screen.layout.strip_left + 20

    C.run(ctx, box, "quick-start-2", step_2)

    def step_2_focus(qel, screen):
        lay = screen.layout
        win = window(state(ctx, box))
        y0 = line_row(lay, win, 1219.2)
        drag(qel, strip_x["x"], y0, path(y0, row_for(ctx, lay, win, 3000.0, 50, near=y0)))
        screen.refresh("focus-3m")

    C.run(ctx, box, "quick-start-2-focus", step_2_focus)
    check_readings(ctx, box, "dof.txt", "step 2")

    # "Try it": the focus at infinity puts the near limit a focal length short of the hyperfocal
    # distance; f/16 brings it closer.
    def try_it(qel, screen):
        lay = screen.layout
        s = state(ctx, box)
        y0 = line_row(lay, window(s), 3000.0)
        drag(qel, strip_x["x"], y0, path(y0, lay.scale_top - 20))
        screen.refresh("focus-infinity")

    C.run(ctx, box, "quick-start-try-infinity", try_it)
    at_f8 = show(ctx, box.settings_path())
    hyperfocal_f8 = state(ctx, box)["hyperfocal"]
    check(state(ctx, box)["focus_at"] == -1, "the focus line at the top of the scale is not at infinity")
    at_infinity = state(ctx, box)
    # Just short of it: a focal length, and a little more where diffraction takes its share.
    short_of = lambda s: 0.99 < s["near"] / (s["hyperfocal"] - s["effective_focal_length"]) < 1
    check(short_of(at_infinity),
          f"focused at infinity, the near limit {at_infinity['near']} is not just short of the hyperfocal distance")

    def try_f16(qel, screen):
        click_aperture(ctx, qel, screen, 16)

    C.run(ctx, box, "quick-start-try-f16", try_f16)
    s = state(ctx, box)
    check(s["near"] < hyperfocal_f8 and short_of(s),
          f"at f/16 the near limit {s['near']} is not just short of the closer hyperfocal distance")

    # Step 3: best f-stop mode, 35 mm, the far limit to 10 m first, then the near limit to 2 m,
    # each made exact with the keys where the drag lands beside it.
    def step_3_lens(qel, screen):
        screen.click("mode", 1)
        drag_lens_to(ctx, qel, screen, 50.0, 35.0)

    C.run(ctx, box, "quick-start-3-lens", step_3_lens)
    check(state(ctx, box)["focal_length"] == 35, "the lens did not come to 35 mm")
    move_line(ctx, box, strip_x["x"], "quick-start-3-far", "far_limit", 10000.0, 35)
    move_line(ctx, box, strip_x["x"], "quick-start-3-near", "near_limit", 2000.0, 35)
    check_readings(ctx, box, "best.txt", "step 3")

    # Step 4: focus stacking, 24 mm, from 1 m to infinity in three images.
    def step_4_lens(qel, screen):
        screen.click("mode", 2)
        screen.refresh("stacking")
        check(C.toolbar_shown(screen, "images"), "focus stacking mode shows no + and - toolbar")
        drag_lens_to(ctx, qel, screen, 35.0, 24.0)

    C.run(ctx, box, "quick-start-4-lens", step_4_lens)
    move_line(ctx, box, strip_x["x"], "quick-start-4-near", "near_limit", 1000.0, 24)

    def step_4_far(qel, screen):
        lay = screen.layout
        win = window(state(ctx, box))
        y0 = line_row(lay, win, 10000.0)
        drag(qel, strip_x["x"], y0, path(y0, lay.scale_top))
        screen.click("images", 0)  # + : three images
        screen.refresh("three-images")

    C.run(ctx, box, "quick-start-4-far", step_4_far)
    check_readings(ctx, box, "stack-infinity.txt", "step 4")


def move_line(ctx, box, x, name, limit, target_mm, effective_focal_length):
    """Drags the line of a limit (best f-stop or focus stacking mode) to the row nearest
    `target_mm`; where the scale's rows step past it, rests the pointer on the line and presses
    Down or Up until it reads exactly that (the program started again in between, so the line's row
    is read from the re-centred scale)."""
    def by_drag(qel, screen):
        lay = screen.layout
        s = state(ctx, box)
        win = window(s)
        y0 = line_row(lay, win, s[limit])
        rows = [y for y in rows_near(lay, win, target_mm) if y > lay.scale_top
                and distance_is_clear(ctx, y, lay, win, METRES)]
        end = min(rows, key=lambda y: (abs(distance_at_row(ctx, y, lay, win, METRES, effective_focal_length)
                                           - target_mm), abs(y - y0)))
        drag(qel, x, y0, path(y0, end))

    C.run(ctx, box, name, by_drag)
    if state(ctx, box)[limit] == target_mm:
        return

    def by_keys(qel, screen):
        s = state(ctx, box)
        qel.move(x, line_row(screen.layout, window(s), s[limit]))
        keys = []
        value = s[limit]
        while abs(value - target_mm) > 1e-6 and len(keys) < 20:
            keys.append("Down" if value > target_mm else "Up")
            value = next_round_value(ctx, value, -1 if value > target_mm else 1)
        xdo("key", "--delay", "150", *keys, env=qel.env)
        qel.settle(0.4)
        screen.refresh(f"{name}-keys")

    C.run(ctx, box, f"{name}-keys", by_keys)
    got = state(ctx, box)[limit]
    check(abs(got - target_mm) < 1e-6, f"{name}: Up and Down brought the {limit} to {got} mm, not {target_mm}")


def next_round_value(ctx, value_mm, direction):
    """The next distance snapping gives in metres above or below `value_mm`, as Up and Down go:
    approached a thousandth at a time, finer than the finest step of a value (half a hundredth)."""
    for k in range(1, 100):
        v = R.snapped(ctx, "focus_at", value_mm * (1 + direction * 0.001 * k), units=METRES)
        if v != value_mm:
            return v
    raise Failure(f"no round value {'above' if direction > 0 else 'below'} {value_mm} mm")


def details(lines):
    shown = [line[len("details: "):].strip() for line in lines if line.startswith("details: ")]
    return dict(line.split(": ", 1) for line in shown if ": " in line)


def caption(lines, column, part):
    line = next(l for l in lines if l.startswith(f"caption {column} value: "))
    return line.split(": ", 1)[1].split("|")[part]
