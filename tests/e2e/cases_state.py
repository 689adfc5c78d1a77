"""End-to-end case of a state the program must always be able to compute: a hand-edited settings
file with a distance that is no number and one closer than the lens, a drag, and camera dialog
edits that are refused, kept as typed, or kept exactly; what is saved starts again cleanly."""
import re
import subprocess

import cases
import peek as P
from cases_drag import drag
from cases import DEFAULT_SETTINGS, case, setting
from harness import check, xdo


def edit(qel, control, d, text):
    """Replaces the text of a dialog field, as a user would."""
    qel.click_screen(*d[control].centre(), settle=0.2)
    P.key(qel, "Home", "shift+End")
    P.type_text(qel, text)


def refused(qel, message):
    """The error box with `message` is up: it is closed with Enter."""
    box = qel.find_window("^Error$", timeout=10)
    shown = P.peek(qel, "Error").texts()
    check(message in shown, f"the error box says {shown}, not {message!r}")
    xdo("windowfocus", "--sync", box, env=qel.env)
    P.key(qel, "Return", settle=0.4)


def no_undefined_text(ctx, path):
    """qel-calc shows the saved file without a "?" anywhere."""
    shown = subprocess.run([ctx.qel_calc, "show", path], capture_output=True, text=True, check=True).stdout
    check("?" not in shown, f"qel-calc shows an undefined number:\n{shown}")


@case
def hand_edited_state(ctx, sandboxes):
    """focus_at without its number (its exact value left behind) and a near limit of 0 start as the
    default focus and twice the focal length; a drag on the distance column keeps every text whole.
    In the camera dialog a refused print size keeps the other edit (frame height 30) and is
    selected, a print size of 0.005 shows and saves as 0.005 and a second Apply changes nothing, and
    a visual resolution of 0 is refused. The saved file has no "?" and starts again as it was left."""
    box = sandboxes.new()
    P.install(ctx, box)
    text = re.sub(r"^focus_at .*$", "focus_at x4094AD9CD0B1E571", DEFAULT_SETTINGS, flags=re.M)
    text = re.sub(r"^near_limit .*$", "near_limit 0", text, flags=re.M)
    box.write_settings(text)

    def actions(qel, screen):
        lay = screen.layout
        left, right = lay.columns[2]
        x = (left + right) // 2
        middle = (lay.scale_top + lay.scale_bottom) // 2
        drag(qel, x, middle, range(middle - 1, middle - 61, -1))
        screen.refresh("after-drag")

        P.key(qel, "ctrl+e", settle=0.5)
        dialog = qel.find_window("^Camera$", timeout=10)
        d = P.peek(qel, "Camera")
        edit(qel, 4005, d, "30")
        edit(qel, 4016, d, "abc")
        qel.click_screen(*d[4025].centre(), settle=0.5)  # Apply
        refused(qel, "Illegal print size")
        d = P.peek(qel, "Camera")
        check((d[4005].text, d[4016].text) == ("30", "abc"), f"after the refusal: {d[4005].text!r}, {d[4016].text!r}")
        check(d.focus == 4016, f"the refused field is not selected: the focus is on {d.focus}")

        P.type_text(qel, "0.005")  # the refused text is selected: typing replaces it
        qel.click_screen(*d[4025].centre(), settle=0.5)
        d = P.peek(qel, "Camera")
        check((d[4005].text, d[4016].text) == ("30", "0.005"), f"after Apply: {d[4005].text!r}, {d[4016].text!r}")
        coc = d[4012].text
        qel.click_screen(*d[4025].centre(), settle=0.5)  # nothing typed: nothing changes
        d = P.peek(qel, "Camera")
        check((d[4016].text, d[4012].text) == ("0.005", coc), f"a second Apply shows {d[4016].text!r}, {d[4012].text!r}")

        edit(qel, 4014, d, "0")
        qel.click_screen(*d[4025].centre(), settle=0.5)
        refused(qel, "Illegal visual resolution (above 0 and at most 5000 arc minutes)")
        P.type_text(qel, "1")
        P.key(qel, "alt+F4", settle=0.6)
        check(dialog not in qel.windows(), "the dialog did not close with every field valid")

    saved = cases.run(ctx, box, "hand_edited_state", actions)
    check("?" not in saved, "the saved file holds a \"?\"")
    check(setting(saved, "near_limit").startswith("100.00"), f"near_limit saved as {setting(saved, 'near_limit')}")
    camera = next(line for line in saved.splitlines() if line.startswith("camera 0 "))
    check(" 30.00 " in camera and " 0.005 " in camera, f"the camera was saved as {camera}")
    no_undefined_text(ctx, box.settings_path())

    # The next start reads what was saved and keeps it.
    again = cases.run(ctx, box, "hand_edited_restart", lambda qel, screen: None)
    check(again == saved, "the second start saved another file")
