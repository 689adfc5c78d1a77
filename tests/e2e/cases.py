"""The end-to-end cases: each drives one sandboxed qel.exe like a user and checks what the
screen shows and what the program leaves behind (the settings file, its backup, the registry)."""
import os
import re
import struct
import subprocess
import time

from PIL import Image, ImageOps

import layout as L
import menus
import peek
from harness import Failure, Qel, check

CASES = []


def case(function):
    CASES.append(function)
    return function


# The settings file that holds exactly the defaults, with "." as the decimal point.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "default_settings.txt"),
          encoding="utf-8", newline="") as _f:
    DEFAULT_SETTINGS = _f.read()
# The window title before the camera's name, with the version this build gives the program
# (project() in the top CMakeLists.txt).
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt"),
          encoding="utf-8") as _f:
    TITLE = "Qel " + re.search(r"project\(Qel VERSION ([0-9.]+)", _f.read()).group(1) + " - Settings: "
DEFAULT_TITLE = TITLE + "Generic 35mm film camera (Sharp print)"
FOOT = 304.8
YELLOW = (255, 255, 192)


def settings_with(**values):
    """The default settings text with some values replaced (given as the text to write)."""
    lines = []
    for line in DEFAULT_SETTINGS.splitlines():
        key = line.split(" ", 1)[0]
        if key in values:
            line = f"{key} {values.pop(key)}"
        lines.append(line)
    assert not values, values
    return "\n".join(lines) + "\n"


def setting(text, key):
    for line in text.splitlines():
        parts = line.split(" ")
        if parts[0] == key:
            return " ".join(parts[1:])
    raise Failure(f"no {key} line in the settings file")


def saved_value(text, key):
    """The value of a number setting: its exact IEEE bits when "x" and 16 hex digits follow the
    number (Qel writes them when the usual decimals do not read back as the value), else the number."""
    parts = setting(text, key).split(" ")
    if len(parts) > 1 and parts[1].startswith("x") and len(parts[1]) == 17:
        return struct.unpack(">d", bytes.fromhex(parts[1][1:]))[0]
    return float(parts[0].replace(",", ".").replace("\u2212", "-"))


class Screen:
    """A started program with its measured layout and toolbar positions."""

    def __init__(self, qel, ctx):
        self.qel = qel
        self.ctx = ctx
        self.refresh("start")

    def refresh(self, label):
        self.image = self.qel.shot(label)
        self.layout = L.Layout(self.image).check_rules()
        self.first_row_u = self.find_first_row_u()
        return self

    def find_first_row_u(self):
        """The first-row toolbars sit at y = u of the layout."""
        px = self.image.load()
        for d in range(0, 40):
            if px[d, d] == L.BLACK:
                return d
        raise Failure("no camera toolbar at the top left")

    # Client coordinates of buttons, at the layout's button size (24 pixels, 27 apart, at the
    # design size).
    def toolbar_width(self, columns):
        _, pitch, border = self.layout.toolbar_sizes()
        return columns * pitch + 2 * border

    def first_row_x(self):
        u0 = self.first_row_u
        camera = u0
        mode = camera + self.toolbar_width(1) + 2 * u0
        units = mode + self.toolbar_width(5) + 2 * u0
        snap = units + self.toolbar_width(2) + 2 * u0
        return {"camera": camera, "mode": mode, "units": units, "snap": snap}

    def button_centre(self, toolbar, index=0):
        button, pitch, border = self.layout.toolbar_sizes()
        u0 = self.first_row_u
        xs = self.first_row_x()
        if toolbar in xs:
            return xs[toolbar] + border + pitch * index + button // 2, u0 + border + button // 2
        x, y = self.second_row_origin(toolbar)
        return x + border + pitch * index + button // 2, y + border + button // 2

    def second_row_origin(self, toolbar):
        lay = self.layout
        column, columns = {"fstop": (1, 1), "teleconverter": (0, 1), "images": (2, 2)}[toolbar]
        left, _, right, _ = lay.scale(column)
        return (left + right - self.toolbar_width(columns)) // 2, lay.toolbar_row_top

    def button_origin(self, toolbar, index=0):
        button = self.layout.toolbar_sizes()[0]
        cx, cy = self.button_centre(toolbar, index)
        return cx - button // 2, cy - button // 2

    def button_image(self, toolbar, index=0):
        button = self.layout.toolbar_sizes()[0]
        x, y = self.button_origin(toolbar, index)
        return self.image.crop((x, y, x + button, y + button))

    def check_button(self, toolbar, index, picture, inverted):
        expected = self.ctx.picture(picture, self.layout.toolbar_sizes()[0])
        if inverted:
            expected = ImageOps.invert(expected)
        got = self.button_image(toolbar, index)
        check(list(got.getdata()) == list(expected.getdata()),
              f"{toolbar} button {index} does not show {'inverted ' if inverted else ''}{picture}")

    def click(self, toolbar, index=0, settle=0.35):
        self.qel.click(*self.button_centre(toolbar, index), settle=settle)

    def open_menu(self, toolbar, index, label):
        """Clicks a button that opens a popup menu and measures it; returns the menu's window, the
        screen y of each item's centre (in order, separators left out), the menu rectangle and a
        screenshot with no item highlighted. The item rectangles and check marks are kept in
        last_menu_items and last_menu_checks."""
        before = set(self.qel.windows())
        self.click(toolbar, index, settle=0.2)
        menu = self.wait_for_menu(before, label)
        geometry = self.qel.geometry(menu)
        menus.rest_on_border(self.qel, menu, geometry)  # no item highlighted
        shot = self.qel.root_shot(label)
        rects = menus.item_rects(self.qel, menu, geometry)
        # The camera menu has a separator after "Edit Camera Properties...", the help menu one
        # before "Reset Scales"; no other menu has one.
        expected = {("camera", 0): [0], ("units", 1): [2]}.get((toolbar, index), [])
        got = menus.separators_after(rects)
        check(got == expected, f"{label}: separators after items {got}, expected after {expected}")
        self.last_menu_items = rects
        self.last_menu_size = len(rects)
        check_width = int(self.ctx.metrics["menu_check_width"])
        self.last_menu_checks = [menus.has_check_mark(shot, r, check_width) for r in rects]
        centres = [(top + bottom) // 2 for _, top, _, bottom in rects]
        return menu, centres, geometry, shot

    def wait_for_menu(self, before, label, timeout=10.0):
        """The one window that a click opened (a popup menu), waited for: on a busy machine, or while
        the program is still at its previous command (starting a document viewer), it comes late."""
        deadline = time.time() + timeout
        while True:
            new = [w for w in self.qel.windows() if w not in before and w != self.qel.window]
            if len(new) == 1:
                self.qel.settle(0.2)  # mapped, and now painted
                return new[0]
            check(len(new) == 0 and time.time() < deadline,
                  f"{label}: expected one menu window, found {len(new)}")
            time.sleep(0.1)

    def choose(self, toolbar, index, item, label, expected_items=None, checked=None):
        """Opens a toolbar's menu and clicks its item number `item` (negative: from the end)."""
        window, items, (mx, my, mw, mh), shot = self.open_menu(toolbar, index, label)
        if expected_items is not None:
            check(self.last_menu_size == expected_items,
                  f"{label}: the menu holds {self.last_menu_size} items, expected {expected_items}")
        if checked is not None:
            marks = [i for i, c in enumerate(self.last_menu_checks) if c]
            check(marks == checked, f"{label}: check marks on items {marks}, expected {checked}")
        self.qel.click_screen(mx + mw // 2, items[item], settle=0.4)
        check(window not in self.qel.windows(), f"{label}: the menu stayed open")
        return items, (mx, my, mw, mh), shot


def start(ctx, sandbox, name):
    qel = Qel(sandbox, ctx.shots_dir, name)
    return qel, Screen(qel, ctx)


def check_distance_lines(screen, near, focus, far, window, unit_mm):
    lay = screen.layout
    px = screen.image.load()
    s, x = lay.strip_left, lay.line_x
    rows = {}
    for name, value, colour in (("near", near, L.RED), ("far", far, L.RED), ("focus", focus, L.GREEN)):
        row = L.distance_row(value, window[0], window[1], unit_mm, lay.scale_top, lay.scale_bottom)
        rows[name] = row
        best = max(range(row - 1, row + 2), key=lambda y: L.row_colour_run(px, y, s + 1, x - 8, colour))
        count = L.row_colour_run(px, best, s + 1, x - 8, colour)
        check(count >= (x - 8 - s - 1) - 2, f"{name} line: row {row} is not {colour} across the strip ({count} pixels)")
        check(abs(best - row) <= 1, f"{name} line at row {best}, predicted {row}")
        rows[name] = best
    check(rows["far"] < rows["focus"] < rows["near"], f"lines out of order: {rows}")
    return rows


@case
def first_start(ctx, sandboxes):
    """No settings file: default title and display, and what is saved at the first close."""
    box = sandboxes.new()
    qel, screen = start(ctx, box, "first_start")
    try:
        check(qel.title() == DEFAULT_TITLE, f"title is {qel.title()!r}")
        lay = screen.layout
        check(len(lay.columns) == 5, "five black columns")
        import reference  # it reads this module's settings text
        near, far, window = reference.depth_of_field(ctx)
        check(window[1] < 0, "the default distance window reaches infinity")
        check_distance_lines(screen, near, 1219.2, far, window, FOOT)
        screen.check_button("fstop", 0, "IDHALF", True)
        screen.check_button("teleconverter", 0, "IDTC10", True)
        screen.check_button("units", 0, "IDFT", False)
        screen.check_button("snap", 0, "IDSNAP", True)
        screen.check_button("mode", 0, "IDDOF", True)
        screen.check_button("mode", 1, "IDF", False)
        gx, gy, gw, gh = qel.geometry()
        qel.close()
    except Exception:
        qel.kill()
        raise
    saved = box.read(box.settings_path())
    check(saved == ctx.default_save_text(), "Qel.txt differs from the default settings text:\n" + saved)
    check(not os.path.exists(box.backup_path()), "a backup was made although there was no settings file")
    record = box.window_placement()
    check(record is not None and len(record) == 44, f"windowPlacement is {record!r}")
    length, _, _, *_rest = struct.unpack("<III", record[:12])
    check(length == 44, f"stored length field {length}")
    left, top, right, bottom = struct.unpack("<iiii", record[28:44])
    check((left, top) == (100, 100) and right - left == 600 and bottom - top == 600,
          f"stored normal position {(left, top, right, bottom)}")


@case
def placement_and_backup(ctx, sandboxes):
    """A stored placement is restored; the second close keeps the first file as the backup."""
    box = sandboxes.new()
    record = struct.pack("<III", 44, 0, 1) + struct.pack("<iiii", -1, -1, -1, -1) + \
        struct.pack("<iiii", 150, 120, 150 + 760, 120 + 640)
    box.set_window_placement(record)
    qel, screen = start(ctx, box, "placement_1")
    try:
        g1 = qel.geometry()
        qel.close()
    except Exception:
        qel.kill()
        raise
    stored = box.window_placement()
    check(stored[28:44] == record[28:44], f"stored normal rectangle {struct.unpack('<iiii', stored[28:44])}")
    first = box.read(box.settings_path())
    qel, screen = start(ctx, box, "placement_2")
    try:
        g2 = qel.geometry()
        check(g1 == g2, f"second start at {g2}, first at {g1}")
        check(g1[2] > 700 and g1[3] > 580, f"the stored size 760 x 640 was not applied: {g1}")
        qel.close()
    except Exception:
        qel.kill()
        raise
    check(box.read(box.backup_path()) == first, "qel backup.txt is not the first run's file")


@case
def end_of_session(ctx, sandboxes):
    """When Windows ends the session (log-off, shut-down) Qel saves its settings and its placement
    as a close does, and once: the backup keeps the file from before the session."""
    box = sandboxes.new()
    box.write_settings(settings_with(mode="0"))
    before = box.read(box.settings_path())
    qel, screen = start(ctx, box, "end_session")
    try:
        screen.click("mode", 1, settle=0.5)
        subprocess.run(["wineboot", "--end-session"], env=qel.env, stdout=qel.log, stderr=qel.log, timeout=60)
        try:
            qel.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("qel.exe still runs after the session ended")
        box.wineserver_kill()
    except Exception:
        qel.kill()
        raise
    saved = box.read(box.settings_path())
    check(setting(saved, "mode") == "1", f"the session's mode change was not saved:\n{saved}")
    check(box.read(box.backup_path()) == before, "qel backup.txt is not the file from before the session")
    record = box.window_placement()
    check(record is not None and len(record) == 44, f"no window placement stored at the end of the session: {record!r}")


@case
def placement_minimised_or_tiny(ctx, sandboxes):
    """A window closed while minimised comes back as a normal window at its stored normal place and
    size, and keeps them at the next close; a stored sliver of a window comes back as the narrowest
    window, the portrait layout at the smallest text, which a pixel less would not hold."""
    normal = (150, 120, 150 + 760, 120 + 640)
    for label, show, rect in (("minimised", 2, normal), ("sliver", 1, (200, 100, 208, 100 + 500))):
        box = sandboxes.new()
        record = struct.pack("<III", 44, 0, show) + struct.pack("<iiii", -1, -1, -1, -1) + struct.pack("<iiii", *rect)
        box.set_window_placement(record)
        peek.install(ctx, box)
        qel = Qel(box, ctx.shots_dir, f"placement_{label}")
        try:
            x, y, w, h = qel.geometry()
            want_height = rect[3] - rect[1]
            if label == "sliver":
                from cases_layout import resize  # a pixel narrower, Windows keeps it as it is
                check(resize(qel, w - 1, h)[0] == (w, h), f"sliver: a client {w} x {h} that is not the narrowest")
                want_width = w + 20  # the stored width has the frame too
            else:
                want_width = rect[2] - rect[0]
            # The X window is the client area: the frame's few pixels lie outside it.
            check(want_width - 20 <= w <= want_width and want_height - 40 <= h <= want_height,
                  f"{label}: the window came back {w} x {h}, not about {want_width} x {want_height}")
            qel.close()
        except Exception:
            qel.kill()
            raise
        stored = box.window_placement()
        left, top, right, bottom = struct.unpack("<iiii", stored[28:44])
        stored_width_ok = (right - left == want_width) if label == "minimised" else (w <= right - left <= w + 20)
        check(stored_width_ok and bottom - top == want_height and (left, top) == rect[:2],
              f"{label}: stored normal rectangle {(left, top, right, bottom)}")
        check(struct.unpack("<I", stored[8:12])[0] == 1, f"{label}: stored show state is not normal")


def find_popup(shot, sx, sy):
    """The popup help's rectangle (left, top, right, bottom exclusive) near the pointer, or None."""
    px = shot.load()
    yellow = [(x, y) for y in range(sy, min(shot.height, sy + 200))
              for x in range(max(0, sx - 10), min(shot.width, sx + 500)) if px[x, y] == YELLOW]
    if not yellow:
        return None
    return (min(x for x, _ in yellow) - 1, min(y for _, y in yellow) - 1,
            max(x for x, _ in yellow) + 2, max(y for _, y in yellow) + 2)


def ink(shot, box):
    """The extent (left, top, right, bottom exclusive) of the text drawn inside a popup."""
    px = shot.load()
    left, top, right, bottom = box
    dark = [(x, y) for y in range(top + 1, bottom - 1) for x in range(left + 1, right - 1) if sum(px[x, y]) < 450]
    check(len(dark) > 30, "the popup shows no text")
    return (min(x for x, _ in dark), min(y for _, y in dark), max(x for x, _ in dark) + 1, max(y for _, y in dark) + 1)


@case
def popup_help(ctx, sandboxes):
    """Resting on a button for a second shows its help in a pale yellow popup two line heights
    below the pointer, as wide as the text plus 2u; moving away removes it."""
    box = sandboxes.new()
    peek.install(ctx, box)
    qel, screen = start(ctx, box, "popup_help")
    try:
        lay = screen.layout
        for toolbar, index in (("mode", 2), ("teleconverter", 0)):
            cx, cy = screen.button_centre(toolbar, index)
            qel.move(cx, cy)
            time.sleep(0.5)
            sx, sy = qel.to_screen(cx, cy)
            check(find_popup(qel.root_shot("popup-early"), sx, sy) is None, "popup help before a second passed")
            time.sleep(1.0)
            shot = qel.root_shot(f"popup-{toolbar}")
            popup = find_popup(shot, sx, sy)
            check(popup is not None, f"no popup help after resting on the {toolbar} button")
            # The popup takes neither activation nor the keyboard: the main window stays active.
            active = peek.peek(qel, DEFAULT_TITLE).foreground
            check(active == DEFAULT_TITLE, f"the popup help made {active!r} the active window")
            left, top, right, bottom = popup
            check((left, top) == (sx, sy + 2 * lay.line_height), f"popup at {(left, top)}, pointer at {(sx, sy)}")
            check(bottom - top == lay.line_height + 2 * lay.u, f"popup height {bottom - top}")
            px = shot.load()
            check(px[left, top + 3] == L.BLACK and px[right - 1, top + 3] == L.BLACK, "popup has no black outline")
            il, it, ir, ib = ink(shot, popup)
            # One line of text, centred, the popup as wide as the text plus 2u (ink and advance
            # widths differ by the side bearings of the first and last letters).
            check(ib - it <= lay.line_height, f"the {toolbar} help text takes more than one line")
            check(abs((right - left - 2 * lay.u) - (ir - il)) <= 3,
                  f"popup width {right - left} for text {ir - il} wide and u = {lay.u}")
            check(abs((il - left) - (right - ir)) <= 3, "the help text is not centred")
            qel.move(cx, cy + 200)
            time.sleep(0.4)
            check(find_popup(qel.root_shot(f"popup-{toolbar}-gone"), sx, sy) is None,
                  "the popup stayed after the pointer left")
        qel.close()
    except Exception:
        qel.kill()
        raise


def saved_settings(box):
    return box.read(box.settings_path())


def run(ctx, box, name, actions):
    """Starts the program, runs actions(qel, screen), closes it; returns the saved settings."""
    qel, screen = start(ctx, box, name)
    try:
        actions(qel, screen)
        qel.close()
    except Exception:
        qel.kill()
        raise
    return saved_settings(box)


MODE_PICTURES = ["IDDOF", "IDF", "IDFS", "IDBLUR", "IDMACRO"]


def check_mode_buttons(screen, mode):
    for k, picture in enumerate(MODE_PICTURES):
        screen.check_button("mode", k, picture, k == mode)


def toolbar_shown(screen, toolbar):
    """Whether a second-row toolbar's first button is on the screen where it must be."""
    x, y = screen.button_origin(toolbar, 0)
    crop = screen.image.crop((x, y, x + 24, y + 24))
    return any(p != L.BLACK for p in crop.getdata())


@case
def modes(ctx, sandboxes):
    """Each mode button selects its mode, changes the display and the toolbars, and is saved."""
    box = sandboxes.new()

    def actions(qel, screen):
        previous = screen.image
        check(not toolbar_shown(screen, "images"), "the images toolbar shows outside focus stacking")
        for mode in (1, 2, 3, 4, 3):
            screen.click("mode", mode, settle=0.5)
            screen.refresh(f"mode{mode}")
            check_mode_buttons(screen, mode)
            check(list(screen.image.getdata()) != list(previous.getdata()), f"mode {mode} left the display unchanged")
            previous = screen.image
            check(toolbar_shown(screen, "images") == (mode == 2), f"images toolbar in mode {mode}")
            check(toolbar_shown(screen, "teleconverter") == (mode != 4), f"teleconverter toolbar in mode {mode}")
            if mode == 2:
                screen.check_button("images", 0, "IDPLUS", False)
                screen.check_button("images", 1, "IDMINUS", False)
            if mode != 4:
                screen.check_button("teleconverter", 0, "IDTC10", True)
            screen.check_button("fstop", 0, "IDHALF", True)
            screen.check_button("units", 0, "IDMM" if mode == 4 else "IDFT", False)

    saved = run(ctx, box, "modes", actions)
    check(setting(saved, "mode") == "3", f"saved mode {setting(saved, 'mode')}")


@case
def units_menu(ctx, sandboxes):
    """Six units outside Macro (into units), mm, cm and in in Macro (into macro_units)."""
    box = sandboxes.new()

    def actions(qel, screen):
        screen.choose("units", 0, 5, "units-dof", expected_items=6, checked=[3])
        screen.refresh("metres")
        screen.check_button("units", 0, "IDM", False)
        screen.click("mode", 4, settle=0.5)
        screen.refresh("macro")
        screen.check_button("units", 0, "IDMM", False)
        screen.choose("units", 0, 2, "units-macro", expected_items=3, checked=[0])
        screen.refresh("macro-inches")
        screen.check_button("units", 0, "IDIN", False)
        screen.click("mode", 0, settle=0.5)
        screen.refresh("dof-again")
        screen.check_button("units", 0, "IDM", False)

    saved = run(ctx, box, "units", actions)
    check((setting(saved, "units"), setting(saved, "macro_units")) == ("5", "2"),
          f"saved units {setting(saved, 'units')}, macro_units {setting(saved, 'macro_units')}")


@case
def teleconverter_and_f_stops(ctx, sandboxes):
    """The teleconverter and f-stop increment menus change their buttons and the saved values."""
    box = sandboxes.new()

    def actions(qel, screen):
        screen.choose("teleconverter", 0, 1, "tc-1.4", expected_items=3, checked=[0])
        screen.refresh("tc14")
        screen.check_button("teleconverter", 0, "IDTC14", True)
        screen.choose("fstop", 0, 1, "third-stops", expected_items=2, checked=[0])
        screen.refresh("thirds")
        screen.check_button("fstop", 0, "IDTHIRD", True)
        screen.choose("teleconverter", 0, 2, "tc-2", expected_items=3, checked=[1])
        screen.refresh("tc20")
        screen.check_button("teleconverter", 0, "IDTC20", True)

    saved = run(ctx, box, "tc_fstop", actions)
    check(setting(saved, "teleconverter") == "2.00000", f"saved teleconverter {setting(saved, 'teleconverter')}")
    check(setting(saved, "f_stop_increment") == "1", "saved f_stop_increment")

    def back(qel, screen):
        screen.check_button("teleconverter", 0, "IDTC20", True)
        screen.check_button("fstop", 0, "IDTHIRD", True)
        screen.choose("fstop", 0, 0, "half-stops", expected_items=2, checked=[1])
        screen.refresh("halves")
        screen.check_button("fstop", 0, "IDHALF", True)

    saved = run(ctx, box, "tc_fstop_2", back)
    check(setting(saved, "f_stop_increment") == "0", "saved f_stop_increment after choosing half stops")


@case
def snapping(ctx, sandboxes):
    """The snap button toggles snapping; turning it on snaps at once, turning it off undoes nothing."""
    box = sandboxes.new()
    box.write_settings(settings_with(snap="0", focal_length="51.37"))

    def actions(qel, screen):
        screen.check_button("snap", 0, "IDSNAP", False)
        screen.click("snap", 0)
        screen.refresh("snap-on")
        screen.check_button("snap", 0, "IDSNAP", True)

    saved = run(ctx, box, "snap_on", actions)
    check(setting(saved, "snap") == "1", "snap not saved as on")
    snapped = setting(saved, "focal_length")
    check(snapped != "51.37", "turning snapping on did not snap the focal length")

    def off(qel, screen):
        screen.click("snap", 0)
        screen.refresh("snap-off")
        screen.check_button("snap", 0, "IDSNAP", False)

    saved = run(ctx, box, "snap_off", off)
    check(setting(saved, "snap") == "0", "snap not saved as off")
    check(setting(saved, "focal_length") == snapped, "turning snapping off changed the focal length")


@case
def images(ctx, sandboxes):
    """The images toolbar steps the number of images within 2 to 100."""
    box = sandboxes.new()
    box.write_settings(settings_with(mode="2", ni="99"))

    def up(qel, screen):
        check(toolbar_shown(screen, "images"), "no images toolbar in focus stacking")
        screen.click("images", 0)
        screen.click("images", 0)

    check(setting(run(ctx, box, "images_up", up), "ni") == "100", "ni did not stop at 100")
    box.write_settings(settings_with(mode="2", ni="3"))

    def down(qel, screen):
        for _ in range(3):
            screen.click("images", 1)
        screen.click("images", 0)

    check(setting(run(ctx, box, "images_down", down), "ni") == "3", "ni did not stop at 2 (2 + 1 = 3 expected)")


@case
def help_menu(ctx, sandboxes):
    """The About box opens centred on the window and closes with Enter or Escape; Reset Scales resets the scales and nothing else.
    (What a missing help document shows is the help_documents_missing case.)"""
    box = sandboxes.new()
    box.write_settings(settings_with(focal_length="200.00", f_stop="11.00000", teleconverter="2.00000",
                                     blur_threshold="2.00000", maxblur="30.00", fov="50.00", ni="7", units="5",
                                     fl_zoom="3.00"))

    def actions(qel, screen):
        screen.choose("units", 1, 0, "help-about", expected_items=5, checked=[])
        about = qel.find_window("^About Qel$", timeout=10)
        ax, ay, aw, ah = qel.geometry(about)
        qel.root_shot("about")
        # It opens over the middle of the main window (the main window's caption and frame lie
        # outside its X window here, so its centre is a few pixels off the frame's).
        mx, my, mw, mh = qel.geometry()
        check(abs((ax + aw / 2) - (mx + mw / 2)) <= 20 and abs((ay + ah / 2) - (my + mh / 2)) <= 20,
              f"the About box at {ax},{ay} ({aw}x{ah}) is not centred on the window at {mx},{my} ({mw}x{mh})")
        # OK is the default button: Enter closes the box.
        harness_xdo(qel, "windowfocus", "--sync", about)
        harness_xdo(qel, "key", "Return")
        time.sleep(0.5)
        check(about not in qel.windows(), "the About box stayed open after Enter")
        # Escape closes it too.
        screen.choose("units", 1, 0, "help-about-again", expected_items=5, checked=[])
        about = qel.find_window("^About Qel$", timeout=10)
        harness_xdo(qel, "windowfocus", "--sync", about)
        harness_xdo(qel, "key", "Escape")
        time.sleep(0.5)
        check(about not in qel.windows(), "the About box stayed open after Escape")
        screen.choose("units", 1, -1, "help-reset", expected_items=5)
        screen.refresh("reset")
        screen.check_button("teleconverter", 0, "IDTC20", True)

    saved = run(ctx, box, "help", actions)
    expected = {"focal_length": "50.00", "f_stop": "4.00000", "teleconverter": "2.00000", "blur_threshold": "1.00000",
                "maxblur": "16.00", "fov": "20.00", "ni": "7", "units": "5", "fl_zoom": "5.00", "focus_at": "1219.20"}
    for key, value in expected.items():
        check(setting(saved, key) == value, f"after Reset Scales {key} is {setting(saved, key)}, expected {value}")


def harness_xdo(qel, *args):
    from harness import xdo
    return xdo(*args, env=qel.env)


def check_aperture_label_points(screen, comma):
    """The aperture labels 0.7, 1.4, 2.8 and 5.6 with the locale's decimal point: a comma reaches
    below the digits' baseline, a full stop does not, so with a comma those labels' ink runs
    deeper than that of the whole-number labels 1, 2, 4 and 8 beside them."""
    lay, px = screen.layout, screen.image.load()
    left, top, right, bottom = lay.scale(1)
    col_right = lay.columns[1][1]
    half = lay.line_height // 2
    depth = {}
    for k in range(8):  # 0.7, 1, 1.4, 2, 2.8, 4, 5.6, 8 on every second half stop
        y = bottom + ((top - bottom) * 2 * k) // 30
        rows = [yy for yy in range(y - half, y + half + 3)
                if any(px[x, yy] != L.BLACK for x in range(left + 22, col_right))]
        check(rows, f"no aperture label at row {y}")
        depth[k] = max(rows) - y
    fractions = [depth[k] for k in (0, 2, 4, 6)]
    wholes = [depth[k] for k in (1, 3, 5, 7)]
    if comma:
        check(min(fractions) > max(wholes),
              f"the labels 0,7 1,4 2,8 5,6 reach {fractions} below their ticks, no deeper than 1 2 4 8 ({wholes})")
    else:
        check(max(fractions) <= max(wholes),
              f"the labels 0.7 1.4 2.8 5.6 reach {fractions} below their ticks, deeper than 1 2 4 8 ({wholes})")


@case
def far_distances_in_mm(ctx, sandboxes):
    """600 mm at f/4 focused at 200 m with distances in mm: the distance scale has numbered
    round values below the infinity sign, not the infinity tick alone."""
    box = sandboxes.new()
    box.write_settings(settings_with(units="0", focal_length="600.00", f_stop="4.00000", focus_at="200000.00",
                                     snap="0"))

    def actions(qel, screen):
        lay, px = screen.layout, screen.image.load()
        bands = label_bands(px, lay.line_x + 12, lay.columns[2][1], lay.scale_top - lay.line_height,
                            lay.scale_bottom + lay.line_height)
        check(len(bands) >= 4, f"the distance scale shows {len(bands)} labels: {bands}")
        check_aperture_label_points(screen, comma=False)

    run(ctx, box, "far_mm", actions)


@case
def comma_locale(ctx, sandboxes):
    """A German locale prints and saves decimal commas; a file with commas reads back."""
    box = sandboxes.new(lang="de_DE.UTF-8")
    box.write_settings(settings_with(snap="0", focal_length="35,00", f_stop="5,60000", teleconverter="1,40000",
                                     focus_at="3048,00"))

    def actions(qel, screen):
        screen.check_button("teleconverter", 0, "IDTC14", True)
        screen.refresh("german")

    def actions_and_labels(qel, screen):
        actions(qel, screen)
        check_aperture_label_points(screen, comma=True)

    saved = run(ctx, box, "comma", actions_and_labels)
    check(setting(saved, "focal_length") == "35,00", f"focal_length saved as {setting(saved, 'focal_length')}")
    check(setting(saved, "f_stop") == "5,60000", f"f_stop saved as {setting(saved, 'f_stop')}")
    check(setting(saved, "focus_at") == "3048,00", f"focus_at saved as {setting(saved, 'focus_at')}")
    body = saved.split("\n", 1)[1]
    check("." not in body.replace("...", ""), "a decimal point in the German settings file:\n" + saved)


@case
def resizing(ctx, sandboxes):
    """Narrower and wider windows get the largest text height that fits both their width and
    their height: a wide window exactly as high as its layout needs keeps its text, one row lower
    makes it smaller; the details column takes the width the other columns leave; the second-row
    toolbars stay centred over their columns."""
    box = sandboxes.new()

    def resize(qel, screen, width, height, label):
        harness_xdo(qel, "windowsize", qel.window, width, height)
        time.sleep(0.6)
        screen.refresh(label)
        check(screen.layout.width == width, f"{label}: client width {screen.layout.width}, asked for {width}")
        screen.check_button("fstop", 0, "IDHALF", True)
        screen.check_button("teleconverter", 0, "IDTC10", True)
        return screen.layout

    def actions(qel, screen):
        start_height = screen.layout.line_height
        narrow = resize(qel, screen, 552, 530, "narrow")
        check(narrow.line_height <= start_height, f"narrow line height {narrow.line_height} above {start_height}")
        wide = resize(qel, screen, 1000, 700, "wide")
        check(wide.line_height > start_height, f"wide line height {wide.line_height} not above {start_height}")
        short = resize(qel, screen, 1100, 480, "short")
        check(short.line_height < wide.line_height, f"a short window kept the line height {short.line_height}")
        exact = short.needed_height
        same = resize(qel, screen, 1100, exact, "exact-height")
        check(same.line_height == short.line_height and same.columns == short.columns,
              f"a window exactly {exact} high did not keep the layout of line height {short.line_height}")
        lower = resize(qel, screen, 1100, exact - 1, "one-row-lower")
        check(lower.line_height < short.line_height, f"a window {exact - 1} high kept the line height")

    run(ctx, box, "resize", actions)


TWO_CAMERAS = settings_with(ncameras="2 0").replace(
    "end\n", 'camera 1 "Alpha test camera" 0 0 23.50 6000 15.60 4000 75.00 0.02000 2.000 1.000 12.000 18.000 550.00 0\nend\n')


def ink_runs(is_ink, first, last, min_gap=1):
    """Runs (start, end exclusive) of positions first..last-1 where is_ink holds, joined across
    gaps narrower than min_gap."""
    runs = []
    for i in range(first, last):
        if not is_ink(i):
            continue
        if runs and i - runs[-1][1] < min_gap:
            runs[-1][1] = i + 1
        else:
            runs.append([i, i + 1])
    return [tuple(r) for r in runs]


def calc_show(ctx, settings_path):
    r = subprocess.run([ctx.qel_calc, "show", settings_path], capture_output=True, text=True)
    check(r.returncode == 0, f"qel-calc show failed: {r.stderr}")
    return dict(line.split(": ", 1) for line in r.stdout.splitlines() if line.startswith("caption "))


def check_large_window(ctx, box, name, width, height, check_screen):
    """Starts Qel with the box's settings, sizes its client area to width x height, and hands
    the screenshot to check_screen(screen, captions), captions being what qel-calc shows."""
    captions = calc_show(ctx, box.settings_path())

    def actions(qel, screen):
        harness_xdo(qel, "windowmove", qel.window, 0, 0)  # the whole window on the screen
        harness_xdo(qel, "windowsize", qel.window, width, height)
        time.sleep(0.8)
        shot = qel.shot("sized")
        # The window's frame, where it has one, takes its part of the size: ask again for more.
        frame_w, frame_h = width - shot.size[0], height - shot.size[1]
        if frame_w or frame_h:
            harness_xdo(qel, "windowsize", qel.window, width + frame_w, height + frame_h)
            time.sleep(0.8)
        screen.refresh(f"{width}x{height}")
        check(screen.layout.width == width, f"client width {screen.layout.width}, asked for {width}")
        check(screen.layout.height == height, f"client height {screen.layout.height}, asked for {height}")
        check_screen(screen, captions)

    run(ctx, box, name, actions)


def check_distance_captions_apart(screen, captions):
    """The distance column's value line shows its texts' words as separate runs of ink: the
    texts neither overlap nor run into each other."""
    lay, px = screen.layout, screen.image.load()
    left, right = lay.columns[2]
    column_top = lay.scale_top - 4 * lay.u
    words = sum(len(text.split()) for text in captions["caption distance value"].split("|"))
    # A space is about a quarter of the line height; gaps inside a word are a few pixels.
    runs = ink_runs(lambda x: any(px[x, y] != L.BLACK for y in range(column_top - lay.line_height, column_top)),
                    left, right, min_gap=max(3, lay.line_height // 7))
    check(len(runs) == words, f"the distance value line {captions['caption distance value']!r} shows "
          f"{len(runs)} runs of ink, expected {words} words apart: {runs}")


def label_bands(px, x0, x1, y0, y1):
    """Runs of rows y0..y1-1 with ink between x0 and x1 (one per label when labels stand apart)."""
    return ink_runs(lambda y: any(px[x, y] != L.BLACK for x in range(x0, x1)), y0, y1, min_gap=2)


def check_top_label_whole(screen, column, label_x):
    """The label at the top row of a scale is as tall as the others (not cut by a clip)."""
    lay, px = screen.layout, screen.image.load()
    left, top, right, bottom = lay.scale(column)
    col_right = lay.columns[column][1]
    bands = label_bands(px, left + label_x, col_right, top - lay.line_height, bottom)
    heights = sorted(b - a for a, b in bands)
    check(len(bands) >= 3, f"column {column}: only {len(bands)} labels found: {bands}")
    first = bands[0]
    check(first[0] < top, f"column {column}: no label at the top row {top}: {bands}")
    check(first[1] - first[0] >= heights[len(heights) // 2] - 1,
          f"column {column}: the top label spans rows {first}, shorter than the others ({heights})")


@case
def large_window_labels(ctx, sandboxes):
    """A large window: the three distance captions in mm stand apart (747 mm, 800 mm, 861 mm
    overlapped at 1200 x 800; 300 mm, images, 600 mm in focus stacking), the labels at the top of
    the lens and blur scales are drawn whole, and the contour labels beside the blur strip at a
    maxblur of 10000 stand apart instead of piling up."""
    box = sandboxes.new()
    # 60 mm with the zoom of 5 puts 300 mm, a round value, on the lens scale's top row.
    box.write_settings(settings_with(units="0", focal_length="60.00", focus_at="800.00", snap="0"))

    def dof(screen, captions):
        check_distance_captions_apart(screen, captions)
        check_top_label_whole(screen, 0, 20)

    check_large_window(ctx, box, "large_dof_mm", 1200, 800, dof)

    box = sandboxes.new()
    box.write_settings(settings_with(units="0", mode="2", near_limit="300.00", far_limit="600.00", ni="3", snap="0"))
    check_large_window(ctx, box, "large_stack_mm", 1200, 800, check_distance_captions_apart)

    box = sandboxes.new()
    # An allowed blur of 200 CoCs with the zoom of 5 puts 1000 on the blur scale's top row.
    box.write_settings(settings_with(units="0", blur_threshold="200.00000", snap="0"))

    def contours(screen, captions):
        check_top_label_whole(screen, 3, 22)
        # A right drag down most of the distance column takes maxblur from 16 to 10000, where
        # the contour ticks cover the strip's edges (so the layout is the one read before).
        lay = screen.layout
        x, y0 = lay.strip_left + 30, lay.scale_top + 10
        wx, wy, _, _ = screen.qel.geometry()
        xdo_steps = ["mousemove", wx + x, wy + y0, "sleep", "0.05", "mousedown", 3]
        for y in range(y0, lay.scale_bottom - 10, 8):
            xdo_steps += ["sleep", "0.01", "mousemove", wx + x, wy + y]
        xdo_steps += ["sleep", "0.05", "mouseup", 3]
        harness_xdo(screen.qel, *xdo_steps)
        screen.qel.settle(0.5)
        px = screen.qel.shot("maxblur").load()
        bands = label_bands(px, lay.columns[2][0] + 1, lay.strip_left - 11, lay.scale_top - lay.line_height,
                            lay.scale_bottom + lay.line_height)
        check(len(bands) >= 4, f"only {len(bands)} contour labels: {bands}")
        tallest = max(b - a for a, b in bands)
        check(tallest <= lay.line_height, f"contour labels pile up: a band of {tallest} rows of ink ({bands})")

    check_large_window(ctx, box, "large_contours", 1200, 800, contours)
    maxblur = saved_value(saved_settings(box), "maxblur")
    check(maxblur >= 5000, f"the right drag left maxblur at {maxblur}")


@case
def cameras(ctx, sandboxes):
    """The camera menu lists the cameras and switches the current one; its first item opens the
    camera dialog, which closes without changing anything."""
    box = sandboxes.new()
    box.write_settings(TWO_CAMERAS)

    def actions(qel, screen):
        check(qel.title() == DEFAULT_TITLE, f"title {qel.title()!r}")
        # Sorted by name: the Alpha camera first, the generic one (current) second.
        screen.choose("camera", 0, 1, "camera-menu", expected_items=3, checked=[2])
        time.sleep(0.3)
        check(qel.title() == TITLE + "Alpha test camera", f"title after the choice {qel.title()!r}")
        screen.refresh("alpha")
        screen.choose("camera", 0, 0, "camera-edit", expected_items=3, checked=[1])
        dialog = qel.find_window("^Camera$", timeout=10)
        qel.root_shot("camera-dialog")
        harness_xdo(qel, "windowfocus", "--sync", dialog)
        harness_xdo(qel, "key", "alt+F4")
        time.sleep(0.6)
        check(dialog not in qel.windows(), "the camera dialog stayed open after Alt+F4")
        check(qel.title() == TITLE + "Alpha test camera", f"title after the dialog {qel.title()!r}")

    saved = run(ctx, box, "cameras", actions)
    check(setting(saved, "ncameras") == "2 0", f"saved ncameras {setting(saved, 'ncameras')}")
    check('camera 0 "Alpha test camera"' in saved, "the cameras were not saved in name order")


@case
def dragging(ctx, sandboxes):
    """Dragging the focus line upwards moves the focus farther away; the scales follow."""
    box = sandboxes.new()

    def actions(qel, screen):
        import reference  # it reads this module's settings text
        near, far, window = reference.depth_of_field(ctx)
        rows = check_distance_lines(screen, near, 1219.2, far, window, FOOT)
        x = screen.layout.strip_left + 30
        y = rows["focus"]
        sx, sy = qel.to_screen(x, y)
        steps = ["mousemove", sx, sy, "sleep", "0.05", "mousedown", 1]
        for k in range(1, 41):
            steps += ["sleep", "0.01", "mousemove", sx, sy - k]
        steps += ["sleep", "0.05", "mouseup", 1]
        harness_xdo(qel, *steps)
        time.sleep(0.4)
        screen.refresh("dragged")
        px = screen.image.load()
        lay = screen.layout
        greens = [yy for yy in range(lay.scale_top, lay.scale_bottom)
                  if L.row_colour_run(px, yy, lay.strip_left + 1, lay.line_x - 8, L.GREEN) > 40]
        check(len(greens) == 1, f"expected one focus line after the drag, found rows {greens}")

    saved = run(ctx, box, "dragging", actions)
    focus = saved_value(saved, "focus_at")
    check(focus > 1300, f"the focus did not move farther away: focus_at {focus}")
