"""End-to-end cases of the program's reliability with its data: a save that cannot be written
never costs the previous settings, and a table of 1000 cameras with long names in every script
loads, shows in the camera menu and survives two runs unchanged."""
import os
import random
import subprocess

import cases
import menus
from cases import TITLE, case, setting, settings_with
from harness import Failure, Qel, check

LINE_UNITS = 255        # the reader takes this many UTF-16 units of a line
NAME_EDIT_LIMIT = 122   # what the camera dialog lets the user type (camera_name_edit_limit)
CAMERA_COUNT = 1000


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def utf16_order(text):
    """Names sort by their UTF-16 code units (big-endian bytes compare the same way)."""
    return text.encode("utf-16-be")


class CameraLine:
    """The values of one camera line after its name, as the writer formats them."""

    def __init__(self, k):
        self.width_px = 4000 + k  # every line differs in its values as well as its name
        self.blur = 1 + (k % 50) / 10

    def text(self, index, name):
        return (f'camera {index} "{name}" 0 0 23.50 {self.width_px} 15.60 4000 75.00 0.03300 {self.blur:.3f} '
                f'1.000 12.000 18.000 550.00 0')

    def name_room(self):
        """The longest name whose line fits the reader's 255 units at any index up to 999."""
        return LINE_UNITS - utf16_units(self.text(999, ""))


# Text of every kind the UTF-8 codec meets: ASCII, Latin-1 and Latin Extended accents, Greek,
# Cyrillic, Hebrew, combining marks, CJK, Hangul, and astral characters (emoji, musical symbols,
# CJK Extension B) that UTF-16 holds as surrogate pairs.
PIECES = ["Ärger über Öl", "ça été", "Ørsted ß", "Łódź ő", "Ωμέγα λ", "Камера ж", "מצלמה", "e\u0301\u0308",
          "日本語カメラ", "中文相机", "사진기", "😀📷", "𝄞𝄢", "𠀀𠜎", "👩‍👩‍👧", "(x)-[y]/z"]
PREFIXES = ["Alpha", "Élan", "Ωmega", "日本", "😀", "zeta", " lead space", "Zoom"]


def long_name(k, units):
    """A unique name of exactly `units` UTF-16 units, never ending inside a surrogate pair."""
    name = f"{PREFIXES[k % len(PREFIXES)]} {k:03d} "
    j = k
    while True:
        piece = PIECES[j % len(PIECES)] + " "
        j += 1
        for ch in piece:
            if utf16_units(name + ch) > units:
                while utf16_units(name) < units:
                    name += "x"
                return name
            name += ch


def big_table():
    """1000 cameras in no particular order, half of them with names as long as the dialog
    allows, half as long as a camera line allows; the current one has a non-ASCII name."""
    rng = random.Random(1000)
    cameras = []
    for k in range(CAMERA_COUNT):
        line = CameraLine(k)
        units = NAME_EDIT_LIMIT if k % 2 else line.name_room()
        cameras.append((long_name(k, units), line))
    rng.shuffle(cameras)
    return cameras


def settings_with_cameras(cameras, current):
    lines = settings_with(ncameras=f"{len(cameras)} {current}").splitlines()
    end = lines.index("end")
    body = [line.text(i, name) for i, (name, line) in enumerate(cameras)]
    return "\n".join(lines[:end] + body + ["end"]) + "\n"


def ink(pixel, background):
    """Text against its row's background: black on white, or white on the highlight's blue
    (a separator's grey line is not text)."""
    return sum(abs(a - b) for a, b in zip(pixel, background)) > 300


def text_bands(shot, rect, minimum_ink=20):
    """The rows of text in a menu, top to bottom: (top, bottom exclusive) of each run of rows that
    hold at least `minimum_ink` text pixels (scroll arrows and separators hold fewer)."""
    px = shot.load()
    left, top, right, bottom = rect
    bands = []
    start = None
    for y in range(top, bottom):
        background = px[right - 1, y]
        count = sum(1 for x in range(left, right) if ink(px[x, y], background))
        if count >= minimum_ink and start is None:
            start = y
        elif count < minimum_ink and start is not None:
            bands.append((start, y))
            start = None
    if start is not None:
        bands.append((start, bottom))
    # Descenders and the boxes of missing glyphs reach a little below the rest of their line.
    merged = []
    for band in bands:
        if merged and band[0] - merged[-1][1] < 4:
            merged[-1] = (merged[-1][0], band[1])
        else:
            merged.append(band)
    return merged


def has_check_mark(shot, item, check_width):
    """A check mark at the start of a menu item: text in the check-mark column at its left."""
    px = shot.load()
    left, top, right, bottom = item
    return any(ink(px[x, y], px[right - 1, y]) for y in range(top, bottom) for x in range(left, left + check_width))


def non_ascii_classes(text):
    return {"latin": any(0x80 <= ord(c) < 0x250 for c in text),
            "cjk": any(0x4E00 <= ord(c) <= 0x9FFF for c in text),
            "astral": any(ord(c) > 0xFFFF for c in text)}


@case
def thousand_cameras(ctx, sandboxes):
    """1000 cameras with the longest names the dialog and the file allow, in Latin, Greek,
    Cyrillic, Hebrew, CJK, Hangul and astral characters: they load sorted, the camera menu shows
    a screenful of them (the click that opens it chooses nothing) with the check on the current
    one, choosing one names it in the title, and two runs save the same 1000 lines, the second
    keeping the first's file as the backup."""
    box = sandboxes.new()
    cameras = big_table()
    ordered = sorted(cameras, key=lambda c: utf16_order(c[0]))
    current_sorted = 2  # a camera near the top of the menu, so its check mark is on the screen
    current = cameras.index(ordered[current_sorted])
    original = settings_with_cameras(cameras, current)
    box.write_settings(original)
    expected_lines = [line.text(i, name) for i, (name, line) in enumerate(ordered)]
    names = [name for name, _ in ordered]
    chosen = {}

    def actions(qel, screen):
        check(qel.title() == TITLE + names[current_sorted], f"start title {qel.title()!r}")
        before = set(qel.windows())
        screen.click("camera", 0, settle=0.8)
        menu = screen.wait_for_menu(before, "camera menu")
        check(qel.title() == TITLE + names[current_sorted],
              f"the click that opened the menu chose a camera: title {qel.title()!r}")
        geometry = qel.geometry(menu)
        mx, my, mw, mh = geometry
        menus.rest_on_border(qel, menu, geometry)  # no item highlighted
        shot = qel.root_shot("camera-menu")
        check(mh >= 900, f"the camera menu is only {mh} pixels tall")
        # "Edit Camera Properties..." and the first two cameras, each as tall as the menu font makes
        # an item: measured from their highlight, not from the text rows checked below.
        _, first, second = menus.item_rects(qel, menu, geometry, limit=3)
        item_height = first[3] - first[1]
        check(second[3] - second[1] == item_height and second[1] == first[3],
              f"the first two camera items {first} and {second} differ in height or are not adjacent")
        left, right = first[0], first[2]
        bands = text_bands(shot, (left, my, right, my + mh))
        check(len(bands) > 2 and first[1] <= bands[1][0] and bands[1][1] <= first[3],
              f"the first camera's text {bands[1:2]} is not inside its item {first}")
        # "Edit Camera Properties..." and then a camera in every item of the rest of the menu, but
        # for the last one (cut) and the scroll arrow.
        rows_room = (my + mh - first[1]) // item_height
        check(len(bands) - 1 >= rows_room - 2, f"the camera menu shows {len(bands) - 1} cameras in room for "
                                               f"{rows_room} items of {item_height} pixels")
        pitches = {b[0] - a[0] for a, b in zip(bands[1:-1], bands[2:-1])}
        check(pitches == {item_height}, f"camera rows {pitches} pixels apart, not one menu item ({item_height}) each")
        check_width = int(ctx.metrics["menu_check_width"])
        camera_items = [(left, first[1] + k * item_height, right, first[1] + (k + 1) * item_height)
                        for k in range(len(bands) - 2)]
        marks = [k for k, item in enumerate(camera_items) if has_check_mark(shot, item, check_width)]
        check(marks == [current_sorted], f"check marks on camera rows {marks}, expected [{current_sorted}]")
        pick = 9
        _, top, _, bottom = camera_items[pick]
        qel.click_screen(mx + mw // 2, (top + bottom) // 2, settle=0.5)
        check(menu not in qel.windows(), "the camera menu stayed open after the choice")
        title = qel.title()
        check(title == TITLE + names[pick], f"choosing row {pick} gave the title {title!r}, expected {names[pick]!r}")
        missing = [k for k, v in non_ascii_classes(title).items() if not v]
        check(not missing, f"the chosen name lacks {missing} characters")
        chosen["index"] = pick

    first = cases.run(ctx, box, "thousand_1", actions)
    check(box.read(box.backup_path()) == original, "qel backup.txt is not the file the program started with")
    check(setting(first, "ncameras") == f"{CAMERA_COUNT} {chosen['index']}", f"saved ncameras {setting(first, 'ncameras')}")
    saved_lines = [line for line in first.split("\n") if line.startswith("camera ")]
    check(len(saved_lines) == CAMERA_COUNT, f"{len(saved_lines)} camera lines saved")
    wrong = [i for i, (a, b) in enumerate(zip(saved_lines, expected_lines)) if a != b]
    check(not wrong, f"{len(wrong)} camera lines differ, the first:\n{saved_lines[wrong[0]] if wrong else ''}\n"
                     f"{expected_lines[wrong[0]] if wrong else ''}")
    check(first.endswith("\nend\n"), "the saved file does not end with its end line")

    def again(qel, screen):
        check(qel.title() == TITLE + names[chosen["index"]], f"second start title {qel.title()!r}")

    second = cases.run(ctx, box, "thousand_2", again)
    check(second == first, "the second run saved another text than the first")
    check(box.read(box.backup_path()) == first, "after the second run qel backup.txt is not the first run's file")


# --- No lost settings -----------------------------------------------------------------------------

# The tests run as root, whom file modes do not stop. Without these two capabilities root is held
# to the modes like any user, so a folder without write permission really refuses new files.
WITHOUT_OVERRIDE = ["setpriv", "--bounding-set=-dac_override,-dac_read_search", "--inh-caps=-all"]


class WrappedQel(Qel):
    """qel.exe started through a wrapper command (setpriv dropping capabilities)."""

    def __init__(self, sandbox, shots_dir, name, wrapper):
        self.sandbox = sandbox
        self.env = sandbox.env
        self.shots_dir = shots_dir
        self.name = name
        self.shot_count = 0
        self.log = open(os.path.join(shots_dir, f"{name}.wine.log"), "a")
        self.process = subprocess.Popen([*wrapper, "wine", r"C:\Qel\qel.exe"], cwd=sandbox.program_folder,
                                        env=self.env, stdout=self.log, stderr=self.log)
        self.pid = self.process.pid  # the wrapper and wine exec the program in the same process
        self.window = self.find_window(r"^Qel 4\.22")
        self.settle()


def change_and_close(ctx, box, name, wrapper=None):
    """Starts the program, switches to Blur mode (a change the save must carry) and closes it."""
    qel = WrappedQel(box, ctx.shots_dir, name, wrapper) if wrapper else Qel(box, ctx.shots_dir, name)
    try:
        screen = cases.Screen(qel, ctx)
        screen.click("mode", 3, settle=0.4)
        screen.refresh("blur-mode")
        qel.close()
    except Exception:
        qel.kill()
        raise


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def folder_state(folder):
    return {name: read_bytes(os.path.join(folder, name)) for name in sorted(os.listdir(folder))}


def check_untouched(box, before, what):
    after = folder_state(box.data_folder)
    for name, data in before.items():
        check(name in after, f"{what}: {name!r} is gone")
        check(after[name] == data, f"{what}: {name!r} changed from {len(data)} to {len(after[name])} bytes")
    extra = sorted(set(after) - set(before))
    check(not extra, f"{what}: the save left {extra} behind")


def check_saved_after(box, original, what):
    """The control run: with room to write, the change is saved and the old file is the backup."""
    saved = box.read(box.settings_path())
    check(setting(saved, "mode") == "3", f"{what}: the change was not saved (mode {setting(saved, 'mode')})")
    check(read_bytes(box.backup_path()) == original, f"{what}: qel backup.txt is not the previous settings file")


OLDER_BACKUP = settings_with(focal_length="35.00")


@case
def no_lost_settings_read_only(ctx, sandboxes):
    """A data folder the program cannot write to: closing after a change leaves "Qel.txt" and
    "qel backup.txt" byte for byte as they were and nothing beside them. With the folder writable
    again the same run saves the change and keeps the old file as the backup."""
    box = sandboxes.new()
    box.write_settings(settings_with(focal_length="85.00"))
    with open(box.backup_path(), "w", encoding="utf-8", newline="\n") as f:
        f.write(OLDER_BACKUP)
    original = read_bytes(box.settings_path())
    folder = box.data_folder
    for name in os.listdir(folder):
        os.chmod(os.path.join(folder, name), 0o444)
    os.chmod(folder, 0o555)
    try:
        probe = subprocess.run([*WITHOUT_OVERRIDE, "sh", "-c",
                                f'echo x > "{folder}/probe" || echo x >> "{box.settings_path()}"'],
                               capture_output=True)
        check(probe.returncode != 0 and not os.path.exists(os.path.join(folder, "probe")),
              "setpriv without CAP_DAC_OVERRIDE could still write into the read-only folder")
        before = folder_state(folder)
        change_and_close(ctx, box, "read_only", WITHOUT_OVERRIDE)
        check_untouched(box, before, "read-only data folder")
    finally:
        os.chmod(folder, 0o755)
        for name in os.listdir(folder):
            os.chmod(os.path.join(folder, name), 0o644)
    change_and_close(ctx, box, "writable_again", WITHOUT_OVERRIDE)
    check_saved_after(box, original, "writable folder")


def mount_small_disk(folder, size):
    os.makedirs(folder, exist_ok=True)
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size},mode=0755", "tmpfs", folder],
                       capture_output=True, text=True)
    if r.returncode != 0:
        raise Failure(f"cannot mount a small tmpfs as the data folder: {r.stderr.strip()}")


def unmount(folder):
    if subprocess.run(["umount", folder], capture_output=True).returncode != 0:
        subprocess.run(["umount", "-l", folder], capture_output=True)


@case
def no_lost_settings_full_disk(ctx, sandboxes):
    """A full disk: the data folder is a small tmpfs with one free page, less than the new file
    needs, so its writing stops part way. "Qel.txt" stays byte for byte as it was (never an empty
    or cut file), no backup appears and the cut temporary file is removed; once there is room,
    the next close saves."""
    box = sandboxes.new()
    folder = box.data_folder
    mount_small_disk(folder, "64k")
    try:
        # 60 cameras make a file of two pages: the save has one.
        cameras = [(f"Camera {k:02d} über ÄÖÜ 日本", CameraLine(k)) for k in range(60)]
        box.write_settings(settings_with_cameras(cameras, 0))
        # No backup yet: deleting one would free the page the new file lacks.
        original = read_bytes(box.settings_path())
        check(len(original) > 4096, f"the settings file has only {len(original)} bytes")
        stat = os.statvfs(folder)
        filler = os.path.join(folder, "filler")
        with open(filler, "wb") as f:
            f.write(b"\0" * ((stat.f_bavail - 1) * stat.f_bsize))
        free = os.statvfs(folder).f_bavail * stat.f_bsize
        check(0 < free < len(original), f"{free} bytes free on the small disk")
        before = folder_state(folder)
        change_and_close(ctx, box, "full_disk")
        check_untouched(box, before, "full disk")
        os.unlink(filler)
        change_and_close(ctx, box, "room_again")
        check_saved_after(box, original, "disk with room")
        check(setting(box.read(box.settings_path()), "ncameras") == "60 0", "the cameras were not saved")
    finally:
        unmount(folder)
