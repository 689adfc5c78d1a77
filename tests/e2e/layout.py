"""Reading Qel's layout back from a screenshot and predicting, independently of the program,
where things must be: the geometry rules of the five columns and the distance mapping."""
import math

from harness import Failure, check

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREEN = (0, 255, 0)
RED = (255, 0, 0)
DARK_GREY = (64, 64, 64)
STRIP_WIDTH = 65


def black_runs(px, y, width, minimum=20):
    runs = []
    x = 0
    while x < width:
        if px[x, y] == BLACK:
            start = x
            while x < width and px[x, y] == BLACK:
                x += 1
            if x - start >= minimum:
                runs.append((start, x))
        else:
            x += 1
    return runs


class Layout:
    """What a screenshot shows of the layout, checked against the layout rules."""

    def __init__(self, image):
        self.image = image
        self.width, self.height = image.size
        px = self.px = image.load()
        # The last row of the panels is plain black in every column (the first-row toolbars may
        # overlap the panels' tops in narrow windows, so the panels are found from the bottom).
        for last in range(self.height - 1, self.height - 80, -1):
            runs = black_runs(px, last, self.width)
            if len(runs) == 5 and runs[0][0] == self.height - 1 - last:
                break
        else:
            raise Failure("no row with the five black column panels ending at the client bottom - u")
        self.u = u = self.height - 1 - last
        self.columns = runs  # (left, right exclusive)
        self.bottom = bottom = last + 1
        details_right = runs[4][1] - 1  # the right edge: farthest from the first-row toolbars
        y = last
        while y > 0 and px[details_right, y - 1] == BLACK:
            y -= 1
        self.panel_top = y
        # The strip's left edge S and the scale line X: two long white verticals a line wide.
        left, right = runs[2]
        counts = {x: [yy for yy in range(y, bottom) if px[x, yy] == WHITE] for x in range(left, right)}
        longest = max(len(ys) for ys in counts.values())
        long_xs = [x for x, ys in counts.items() if longest >= 50 and len(ys) >= 0.9 * longest]
        starts = [x for x in long_xs if x - 1 not in long_xs]
        check(len(starts) == 2 and len(long_xs) % 2 == 0, f"expected the strip edge and the scale line at {long_xs}")
        self.line_width = len(long_xs) // 2
        self.strip_left, self.line_x = (x + (self.line_width - 1) // 2 for x in starts)
        # The strip is 65 pixels wide at the design size and 16 more for every further quarter step
        # of the pixel scale (toolbar pictures, markers, ticks and margins grow with it).
        self.strip_width = self.line_x - self.strip_left
        check((self.strip_width - 1) % 16 == 0 and self.strip_width >= STRIP_WIDTH,
              f"the strip is {self.strip_width} pixels wide, not 16 per quarter step and one")
        self.quarters = (self.strip_width - 1) // 16
        # The strip's centre column is never black inside the scale rectangle: scan it upwards.
        centre = self.strip_left + self.strip_width // 2
        yy = bottom - 1
        while yy > y and px[centre, yy] == BLACK:
            yy -= 1
        self.scale_bottom = yy + 1
        while yy > y and px[centre, yy] != BLACK:
            yy -= 1
        self.scale_top = yy + 1

    def scaled(self, n):
        """n design pixels at the layout's pixel scale."""
        return (n * self.quarters + 2) // 4

    def name_line_top_of(self, u):
        """A margin below the buttons' pictures, and below the second row's toolbar windows."""
        button, pitch, border = self.toolbar_sizes()
        row = u + pitch + 2 * border + self.scaled(5)
        return row + max(button + u, pitch + 2 * border)

    def toolbar_sizes(self):
        """The toolbar button's edge, the distance from one button to the next, the border."""
        return self.scaled(24), self.scaled(27), self.scaled(1)

    def line_height_of_scale(self):
        """The line height the scale top implies (check_rules finds it too, and checks more)."""
        return (self.scale_top - 4 * self.u - self.name_line_top_of(self.u)) // 2

    def check_rules(self):
        """The column rules, read backwards: every width must come from one u, one pixel scale and
        one set of text widths. The details column takes whatever width is left."""
        u, px = self.u, self.scaled
        button, pitch, border = self.toolbar_sizes()
        self.toolbar_row_top = u + pitch + 2 * border + px(5)
        (l0, r0), (l1, r1), (l2, r2), (l3, r3), (l4, r4) = self.columns
        check(self.panel_top == self.toolbar_row_top - px(4),
              f"the panels start at {self.panel_top}, not at u + {self.toolbar_row_top - px(4) - u}")
        for (a, b) in zip(self.columns, self.columns[1:]):
            check(b[0] == a[1] + u, f"columns {a} and {b} are not u = {u} apart")
        w4 = (r1 - l1) - 4 * u - px(20)
        check((r0 - l0) == 5 * u + w4 + px(20), "the lens column is not one u wider than the aperture column")
        check((r3 - l3) == 4 * u + w4 + px(20), "the blur column is not as wide as the aperture column")
        w5 = self.strip_left - (l2 + 2 * u) - px(12)
        w8 = (r2 - l2) - 4 * u - w5 - 2 * px(12) - self.strip_width
        # Carlito's digits share one width d: "9999" is 4d, "99.99" 4d + p, "99999.99" 7d + p (give or take
        # a pixel or two of hinting at large sizes).
        check(abs(4 * (w8 - w5) - 3 * w4) <= 8,
              f"text widths w4 {w4}, w5 {w5}, w8 {w8} do not fit one digit width")
        self.w4, self.w5, self.w8 = w4, w5, w8
        check(self.scale_bottom == self.bottom - 4 * u, f"scale bottom {self.scale_bottom} is not column bottom - 4u")
        # T = the toolbar row, its buttons, u and 2 line heights, with u = line height / 3.
        self.name_line_top = self.name_line_top_of(u)
        heights = [h for h in range(3 * u, 3 * u + 3) if self.name_line_top + 2 * h + 4 * u == self.scale_top]
        check(len(heights) == 1, f"scale top {self.scale_top} matches no line height for u = {u}")
        self.line_height = heights[0]
        check(r4 + u == self.width, f"the details column ends at {r4}, not a margin u = {u} before the client's "
                                    f"right edge {self.width}")
        # The height this text needs: sixteen aperture labels a line height apart on the scale.
        self.needed_height = self.scale_top + 5 * u + 15 * self.line_height
        return self

    def scale(self, column):
        """The scale rectangle (left, top, right, bottom) of column 0..4."""
        left, right = self.columns[column]
        inset = self.u if column == 0 else 2 * self.u
        return (left + 2 * self.u, self.scale_top, right - inset, self.scale_bottom)


class Portrait:
    """A portrait layout's four scale panels side by side and the details panel across below them."""

    def __init__(self, image):
        width, height = image.size
        px = image.load()
        last = next((y for y in range(height - 1, height // 2, -1)
                     if [r for r in black_runs(px, y, width) if r[1] - r[0] >= 0.8 * width]), None)
        check(last is not None, "no details panel across the bottom of a portrait layout")
        self.details, self.details_bottom, y = black_runs(px, last, width)[0], last + 1, last
        while y > 0 and px[self.details[0], y - 1] == BLACK:
            y -= 1
        self.details_top = y
        while y > 0 and len(black_runs(px, y, width)) != 4:
            y -= 1
        self.columns = black_runs(px, y, width)
        check(len(self.columns) == 4, f"no four scale panels above the details panel: {self.columns}")


def round_half_away(x):
    return math.trunc(x + 0.5) if x >= 0 else math.trunc(x - 0.5)


def recip_fraction(v, low, high):
    if high >= 0:
        return (1 - low / v) / (1 - low / high)
    return 1.0 if v < 0 else 1 - low / v


def fraction_to_y(f, top, bottom):
    return bottom + round_half_away((top - bottom) * f)


def distance_row(value_mm, low_mm, high_mm, unit_mm, top, bottom):
    def unit(v):
        return v / unit_mm if v >= 0 else v
    return fraction_to_y(recip_fraction(unit(value_mm), unit(low_mm), unit(high_mm)), top, bottom)


def row_colour_run(px, y, x0, x1, colour):
    """How many pixels of row y from x0 to x1 (exclusive) have the colour."""
    return sum(1 for x in range(x0, x1) if px[x, y] == colour)
