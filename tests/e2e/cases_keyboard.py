"""End-to-end case of the keyboard: the shortcuts of the toolbar buttons and commands, the arrows
on the scale under the pointer and on the value Tab focuses, with the focus cue, all typed as real
key presses into qel.exe."""
import os

import cases as C
from cases import case, run, saved_value, setting, settings_with
from cases_docs import opened, use_stand_in_viewer
from harness import check, xdo

CUE = (255, 212, 0)  # the focus cue's yellow


def press(qel, *keys, settle=0.4):
    xdo("key", "--delay", "80", *keys, env=qel.env)
    qel.settle(settle)


def cue_pixels(image, layout, column):
    """Light-grey pixels in the margin left of a column's scale, beside its rows: the left edge of
    the focus cue when that column has the focus."""
    left, top, _, bottom = layout.scale(column)
    band = image.crop((max(left - 3 * layout.u, 0), top, left, bottom))
    return sum(1 for p in band.getdata() if p[:3] == CUE)


@case
def keyboard(ctx, sandboxes):
    """Ctrl+1..5 choose modes, + and - step the images, Ctrl+G toggles snapping, Alt+U opens the
    units menu for the arrow keys and Enter, F10 and Alt open the camera menu and the arrows walk
    the menus, an access letter chooses, F1 opens the Quick Start; Up moves the aperture under
    the pointer by a half stop; Tab shows a cue around the lens scale, whose value the arrows then
    move wherever the pointer is, and Escape hides it."""
    box = sandboxes.new()
    box.write_settings(settings_with(snap="0"))
    use_stand_in_viewer(box)
    with open(os.path.join(box.program_folder, "Qel Quick Start.pdf"), "wb") as f:
        f.write(b"%PDF-1.4\n% stand-in manual\n")

    def actions(qel, screen):
        # Without a window manager keys go to the window under the pointer.
        wx, wy, ww, wh = qel.geometry()
        xdo("mousemove", wx + ww - 2, wy + wh - 2, env=qel.env)
        press(qel, "ctrl+3", settle=0.6)
        screen.refresh("ctrl3")
        C.check_mode_buttons(screen, 2)
        check(C.toolbar_shown(screen, "images"), "Ctrl+3 did not show the images toolbar")
        press(qel, "plus", "plus", "minus")
        press(qel, "ctrl+g")
        screen.refresh("ctrl-g")
        screen.check_button("snap", 0, "IDSNAP", True)
        press(qel, "ctrl+1", settle=0.6)
        screen.refresh("ctrl1")
        C.check_mode_buttons(screen, 0)
        check(not C.toolbar_shown(screen, "images"), "Ctrl+1 left the images toolbar shown")

        # The arrows move the value of the scale under the pointer.
        left, top, right, bottom = screen.layout.scale(1)
        qel.move((left + right) // 2, (top + bottom) // 2)
        press(qel, "Up")

        # Tab focuses the lens scale: its cue shows and the arrows move the focal length, though
        # the pointer is still on the aperture scale.
        check(cue_pixels(qel.shot("no-cue"), screen.layout, 0) == 0, "a focus cue before any Tab")
        press(qel, "Tab")
        lens_cue = cue_pixels(qel.shot("cue"), screen.layout, 0)
        check(lens_cue >= (bottom - top) // 2, f"Tab showed no focus cue beside the lens scale ({lens_cue} pixels)")
        press(qel, "Up", "Up")
        press(qel, "Escape")
        check(cue_pixels(qel.shot("cue-gone"), screen.layout, 0) == 0, "Escape left the focus cue")

        # Alt+U opens the units menu; Up from no highlighted item takes the last ("m").
        before = set(qel.windows())
        press(qel, "alt+u", settle=0.6)
        screen.wait_for_menu(before, "units-by-key")
        press(qel, "Up", "Return", settle=0.6)
        screen.refresh("metres")
        screen.check_button("units", 0, "IDM", False)

        # F10 opens the camera menu, Right and Left walk the menus (one open, at its anchor), "c" chooses
        # cm; Alt alone opens the camera menu, Alt+U over it the units menu, and Escape closes that.
        for keys, toolbar, index in ((["F10"], "camera", 0), (["Right"], "units", 0), (["Right"], "units", 1),
                                     (["Right"], "teleconverter", 0), (["Left", "Left"], "units", 0), (["c", "alt"], "camera", 0),
                                     (["alt+u"], "units", 0)):
            press(qel, *keys, settle=0.8)
            menus = [qel.geometry(w)[0] for w in qel.windows() if w != qel.window]
            x = qel.to_screen(*screen.button_origin(toolbar, index))[0] + index * screen.layout.toolbar_sizes()[0]
            check(len(menus) == 1 and abs(menus[0] - x) <= 2 * screen.layout.u, f"after {keys}: menus at {menus}, not one at {x}")
        press(qel, "Escape", settle=0.5)
        check([w for w in qel.windows() if w != qel.window] == [], "Escape left the units menu open")

        press(qel, "F1")
        got = opened(box, expected=1)
        check(got == [r"C:\Qel\Qel Quick Start.pdf"], f"F1 asked the viewer to open {got}")

    saved = run(ctx, box, "keyboard", actions)
    expected = {"mode": "0", "ni": "3", "snap": "1", "focal_length": "52.00", "units": "1"}
    got = {key: setting(saved, key) for key in expected}
    check(got == expected, f"saved {got}, expected {expected}")
    # f/9.51 is the half stop 2^3.25, kept exactly: its decimals and then its bits.
    check(setting(saved, "f_stop").startswith("9.51366 x") and abs(saved_value(saved, "f_stop") - 2 ** 3.25) < 1e-12,
          f"saved f_stop {setting(saved, 'f_stop')}")

