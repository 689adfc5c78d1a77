"""End-to-end cases of the camera properties dialog: adding a camera from the camera menu, the
calculation that follows its circle of confusion, the check of a field and the dialog's tab order."""
import os

import cases
import peek as P
import reference as R
from cases import DEFAULT_SETTINGS, DEFAULT_TITLE, FOOT, TITLE, case, setting
from harness import check, xdo

RC_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "camera_dialog.rc")

NEW_NAME = "Digital 24MP test"
# What the user types into each field the Tab key reaches after the Type box (None: leave it).
TYPED = {4003: "23.5", 4004: "6000", 4005: "15.6", 4006: "4000", 4018: "500", 4015: "4"}

GENERIC_LINE = ('"Generic 35mm film camera (Sharp print)" 1 1 36.00 6000 24.00 4000 75.00 0.03300 2.000 1.000 '
                '12.000 18.000 550.00 0')
# The new camera copies the generic one's other inputs (film resolution, custom CoC, print figures).
NEW_LINE = f'"{NEW_NAME}" 0 0 23.50 6000 15.60 4000 75.00 0.03300 4.000 1.000 12.000 18.000 500.00 0'
# The settings the dialog leaves: the new camera first in name order, and the current one.
WITH_NEW_CAMERA = DEFAULT_SETTINGS.replace("ncameras 1 0\n", "ncameras 2 0\n").replace(
    "camera 0 " + GENERIC_LINE + "\n", "camera 0 " + NEW_LINE + "\ncamera 1 " + GENERIC_LINE + "\n")


def expected_tab_stops(order, contents, start):
    """The controls Tab reaches from `start`: the next enabled tab stop in template order, around."""
    i = order.index(start)
    while True:
        i = (i + 1) % len(order)
        if contents[order[i]].enabled:
            return order[i]


@case
def camera_dialog_new_camera(ctx, sandboxes):
    """New in the camera dialog, a name, Sharp Image, Digital, 23.5 x 15.6 mm and 6000 x 4000 pixels
    typed field after field with Tab (which must follow the template order): the title names the
    camera, the distance lines move to where its CoC puts them, the camera menu lists both cameras
    in name order with the check on the new one, and Qel.txt holds both camera lines. A frame width
    of 0, and one of 0.004 (which would show as 0.00), is refused with the "Error" box when closing,
    and the dialog stays open."""
    box = sandboxes.new()
    box.write_settings(DEFAULT_SETTINGS)
    P.install(ctx, box)
    order = P.template_tab_order(RC_PATH, 4000)
    check(WITH_NEW_CAMERA.count("\ncamera ") == 2, "the default settings' camera line is not the generic one")
    computed = R.state_of_text(ctx, WITH_NEW_CAMERA)
    near, far, window = computed["near"], computed["far"], (computed["maxblur_near"], computed["maxblur_far"])

    def actions(qel, screen):
        before = screen.image
        check(qel.title() == DEFAULT_TITLE, f"title {qel.title()!r}")
        screen.choose("camera", 0, 0, "camera-menu", expected_items=2, checked=[1])
        dialog = qel.find_window("^Camera$", timeout=10)
        d = P.peek(qel, "Camera")
        check(d[4001].text == "Generic 35mm film camera (Sharp print)", f"name shown {d[4001].text!r}")
        check((d[4011].text, d[4002].text, d[4012].text) == ("Sharp Print", "Film", "0.03142 mm"),
              f"default camera shows {d[4011].text!r}, {d[4002].text!r}, CoC {d[4012].text!r}")
        check(d.focus == 4001, f"the dialog opened with the focus on control {d.focus}")

        qel.click_screen(*d[4023].centre(), settle=0.3)  # New
        d = P.peek(qel, "Camera")
        check(d[4001].text == "Enter name here", f"New shows the name {d[4001].text!r}")
        check(d[4024].enabled and d[4021].enabled and not d[4022].enabled,
              "after New: Delete and Prev must be enabled, Next disabled")
        check(qel.title() == TITLE + "Enter name here", f"title after New {qel.title()!r}")

        qel.click_screen(*d[4001].centre(), settle=0.2)
        P.key(qel, "Home", "shift+End")
        P.type_text(qel, NEW_NAME)
        # Tab through every field; drop-down lists take Home (their first item), edits the typed text.
        focus = 4001
        for step in range(len(order) + 2):
            P.key(qel, "Tab")
            d = P.peek(qel, "Camera")
            expected = expected_tab_stops(order, d, focus)
            check(d.focus == expected, f"Tab from control {focus} went to {d.focus}, expected {expected}")
            focus = d.focus
            if focus == 4011:
                P.key(qel, "Home", settle=0.3)  # "Sharp Image"
                check(qel.title() == TITLE + NEW_NAME, f"the name was not applied: title {qel.title()!r}")
            elif focus == 4002:
                P.key(qel, "Home", settle=0.3)  # "Digital" (the Type box is sorted)
            elif focus in TYPED:
                P.type_text(qel, TYPED[focus])
            elif focus == 4025:
                P.key(qel, "space", settle=0.3)  # Apply
                d = P.peek(qel, "Camera")
                shown = {i: d[i].text for i in (4011, 4002, 4003, 4004, 4005, 4006, 4015, 4018, 4012, 4019, 4020)}
                wanted = {4011: "Sharp Image", 4002: "Digital", 4003: "23.5", 4004: "6000", 4005: "15.6",
                          4006: "4000", 4015: "4.00", 4018: "500.00", 4012: f"{computed['coc']:.5f} mm", 4019: "1.53",
                          4020: "24"}
                check(shown == wanted, f"after Apply the dialog shows {shown}, expected {wanted}")
                check(not d[4009].enabled and not d[4014].enabled and not d[4007].enabled,
                      "Sharp Image and Digital must disable custom CoC, visual and film resolution")
            if focus == 4001 and step > 0:
                break
        check(focus == 4001, "Tab did not come round to the name")
        qel.root_shot("dialog-filled")

        # A frame width of 0: closing is refused with the field's message, the dialog stays open.
        qel.click_screen(*d[4003].centre(), settle=0.2)
        P.key(qel, "Home", "shift+End")
        P.type_text(qel, "0")
        P.key(qel, "alt+F4", settle=0.5)
        error = qel.find_window("^Error$", timeout=10)
        e = P.peek(qel, "Error")
        check("Illegal frame width (mm)" in e.texts(), f"the error box says {e.texts()}")
        check(e[1].text == "OK", "the error box has no OK button")
        check(not P.peek(qel, "Camera").enabled, "the dialog stays usable while the error box is up")
        qel.root_shot("error-box")
        xdo("windowfocus", "--sync", error, env=qel.env)
        P.key(qel, "Return", settle=0.4)
        windows = qel.windows()
        check(error not in windows, "the error box stayed after Enter")
        check(dialog in windows, "the dialog closed although the frame width was refused")
        d = P.peek(qel, "Camera")
        check(d[4003].text == "0", f"the refused text was replaced by {d[4003].text!r}")
        check(d.focus == 4003, f"after the error box the focus is on {d.focus}, not on the frame width")

        # A frame width the field would show as 0.00 is refused too, so the next close cannot be stuck.
        P.key(qel, "Home", "shift+End")
        P.type_text(qel, "0.004")
        P.key(qel, "alt+F4", settle=0.5)
        error = qel.find_window("^Error$", timeout=10)
        e = P.peek(qel, "Error")
        check("Illegal frame width (mm)" in e.texts(), f"0.004 as the frame width: the error box says {e.texts()}")
        xdo("windowfocus", "--sync", error, env=qel.env)
        P.key(qel, "Return", settle=0.4)
        check(dialog in qel.windows(), "the dialog closed with a frame width of 0.004")

        P.key(qel, "Home", "shift+End")
        P.type_text(qel, "23.5")
        P.key(qel, "alt+F4", settle=0.6)
        check(dialog not in qel.windows(), "the dialog did not close with valid fields")
        check(qel.title() == TITLE + NEW_NAME, f"title after the dialog {qel.title()!r}")

        screen.refresh("new-camera")
        cases.check_distance_lines(screen, near, 1219.2, far, window, FOOT)
        lay = screen.layout
        left, right = lay.columns[4]
        details = (left, lay.panel_top, right, lay.bottom)
        check(screen.image.crop(details).tobytes() != before.crop(details).tobytes(),
              "the details panel did not change with the camera")

        # Name order: the new camera first, checked; choosing the other one and back.
        screen.choose("camera", 0, 2, "camera-menu-2", expected_items=3, checked=[1])
        check(qel.title() == DEFAULT_TITLE, f"the second camera in the menu is {qel.title()!r}")
        screen.choose("camera", 0, 1, "camera-menu-3", expected_items=3, checked=[2])
        check(qel.title() == TITLE + NEW_NAME, f"the first camera in the menu is {qel.title()!r}")

    saved = cases.run(ctx, box, "camera_dialog", actions)
    check(setting(saved, "ncameras") == "2 0", f"saved ncameras {setting(saved, 'ncameras')}")
    lines = [line for line in saved.splitlines() if line.startswith("camera ")]
    check(lines == ["camera 0 " + NEW_LINE, "camera 1 " + GENERIC_LINE], "saved camera lines:\n" + "\n".join(lines))
    check(box.read(box.backup_path()) == DEFAULT_SETTINGS, "qel backup.txt is not the file the program started with")


@case
def camera_dialog_cancel(ctx, sandboxes):
    """Enter applies 650 nm (the dialog stays); New selects its placeholder for the name; Delete asks and No
    keeps it; Escape asks to discard the changes, and Yes closes with the cameras as it found them."""
    box = sandboxes.new()
    box.write_settings(DEFAULT_SETTINGS)
    P.install(ctx, box)

    def answer(qel, question, key):
        check(qel.find_window("^Qel$", timeout=10) and question in P.peek(qel, "Qel").texts() and qel.root_shot(key), question)
        P.key(qel, key, settle=0.5)

    def actions(qel, screen):
        wx, wy, ww, wh = qel.geometry()
        xdo("mousemove", wx + ww - 2, wy + wh - 2, env=qel.env)
        P.key(qel, "ctrl+e", settle=0.6)
        dialog, d = qel.find_window("^Camera$", timeout=10), P.peek(qel, "Camera")
        check((d[2].text, d[4027].text) == ("Cancel", "details"), f"Cancel {d[2].text!r}, blur unit {d[4027].text!r}")
        qel.click_screen(*d[4018].centre(), settle=0.2)
        P.key(qel, "Home", "shift+End", "6", "5", "0", "Return", settle=0.4)
        check(P.peek(qel, "Camera")[4018].text == "650.00" and dialog in qel.windows(), "Enter did not apply the wavelength")
        qel.click_screen(*d[4023].centre(), settle=0.4)  # New
        P.type_text(qel, "Second body")
        P.key(qel, "Return", settle=0.4)
        check(qel.title() == TITLE + "Second body", f"typing after New named it {qel.title()!r}")
        qel.click_screen(*d[4024].centre(), settle=0.4)  # Delete
        answer(qel, "Delete camera Second body?", "n")
        check(P.peek(qel, "Camera")[4001].text == "Second body", "No to the question deleted the camera")
        P.key(qel, "Escape", settle=0.5)
        answer(qel, "Discard the changes to the cameras?", "y")
        check(dialog not in qel.windows() and qel.title() == DEFAULT_TITLE, f"after Cancel: {qel.title()!r}")

    saved = cases.run(ctx, box, "camera_dialog_cancel", actions)
    cameras = [line for line in saved.splitlines() if line.startswith(("camera ", "ncameras "))]
    check(cameras == ["ncameras 1 0", "camera 0 " + GENERIC_LINE], "after Cancel Qel.txt keeps " + "\n".join(cameras))
