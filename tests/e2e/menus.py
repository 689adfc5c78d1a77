"""Measuring an open popup menu on the screen instead of assuming one machine's menu font: where
each item is, where the separators are and which items show a check mark.

Under Wine a menu belongs to the process that made it, so a helper cannot ask the program's menu
for its item rectangles. The menu shows them itself: the item under the pointer is highlighted, and
the highlight fills exactly that item's rectangle. The pointer walks down the menu as a user's
would, one item (or one row of a separator) at a time."""
import time

from PIL import Image, ImageChops
from Xlib import X, display as xdisplay

import layout as L
from harness import check, xdo


class Grabber:
    """Reads a window's pixels straight from the X server (faster than a screenshot program, which
    matters when the pointer stops on every item of a menu)."""

    def __init__(self, qel):
        self.display = xdisplay.Display(qel.env["DISPLAY"])

    def grab(self, window):
        w = self.display.create_resource_object("window", int(window))
        g = w.get_geometry()
        raw = w.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (g.width, g.height), raw.data, "raw", "BGRX")

    def settled(self, window, timeout=3.0):
        """The window's pixels once two grabs 30 ms apart agree."""
        deadline = time.time() + timeout
        last = self.grab(window)
        while True:
            time.sleep(0.03)
            image = self.grab(window)
            if image.tobytes() == last.tobytes():
                return image
            check(time.time() < deadline, "the menu kept changing")
            last = image

    def close(self):
        self.display.close()


# Rows skipped where no item is highlighted (the frame, a separator, a scroll arrow): fewer than any
# item is tall, so no item is passed over; the highlight then gives the item's rectangle whole.
NO_ITEM_STEP = 3


def rest_on_border(qel, window, geometry):
    """Rests the pointer on the menu's top left border pixel: over the menu, so that the menu sees
    it move, but over no item, so that no item is highlighted. Returns the menu's pixels then."""
    mx, my, _, _ = geometry
    xdo("mousemove", mx, my, env=qel.env)
    time.sleep(0.1)
    grabber = Grabber(qel)
    try:
        return grabber.settled(window)
    finally:
        grabber.close()


def item_rects(qel, window, geometry, limit=None, timeout=3.0):
    """The screen rectangles (left, top, right, bottom exclusive) of the menu's items from the top,
    separators left out, read from the highlight as the pointer moves down the menu's middle column:
    all of them, or the first `limit`. Starts from the pointer resting on the menu's border and
    leaves it on the last item measured."""
    mx, my, mw, mh = geometry
    x = mx + mw // 2
    base = rest_on_border(qel, window, geometry)
    grabber = Grabber(qel)
    try:
        rects = []
        y = my
        while y < my + mh and (limit is None or len(rects) < limit):
            xdo("mousemove", x, y, env=qel.env)
            deadline = time.time() + timeout
            while True:
                time.sleep(0.02)
                image = grabber.settled(window)
                box = ImageChops.difference(base, image).getbbox()
                # The highlight of the item under the pointer, or none (a separator or the frame);
                # anything else is the previous item's highlight, not yet taken away.
                if box is None or box[1] <= y - my < box[3]:
                    break
                check(time.time() < deadline, f"the menu did not follow the pointer to row {y - my}")
            if box is None:
                y += NO_ITEM_STEP
                continue
            rect = (mx + box[0], my + box[1], mx + box[2], my + box[3])
            if rects:
                check(rect[1] >= rects[-1][3], f"menu items {rects[-1]} and {rect} overlap: an item was "
                                               "highlighted before the pointer came")
            rects.append(rect)
            y = rect[3]
        return rects
    finally:
        grabber.close()


def separators_after(rects):
    """The indices of the items followed by a gap (a separator) before the next item."""
    return [k for k, (a, b) in enumerate(zip(rects, rects[1:])) if b[1] > a[3]]


def has_check_mark(shot, rect, check_width):
    """Whether the item shows a check mark: black in the check-mark column at the item's left, as
    wide as the system's menu check-mark bitmap (the text begins to its right)."""
    px = shot.load()
    left, top, _, bottom = rect
    return any(px[x, y] == L.BLACK for y in range(top, bottom) for x in range(left, left + check_width))
