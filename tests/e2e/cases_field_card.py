"""End-to-end case of "Field Card...": the card of the settings in use goes into the data folder and
to the browser; a data folder that takes no new file gives a message naming the path."""
import os
import subprocess

import peek as P
from cases import case, run, settings_with
from cases_docs import opened, use_stand_in_viewer
from cases_keyboard import press
from harness import check, xdo


def use_stand_in_browser(box):
    """.html files open with the help cases' stand-in viewer, which notes the path it was given."""
    use_stand_in_viewer(box)
    with open(os.path.join(box.prefix, "system.reg"), "a", encoding="utf-8") as f:
        f.write('\n[Software\\\\Classes\\\\.html] 1700000000\n@="pdffile"\n')


@case
def field_card(ctx, sandboxes):
    """Ctrl+P with the data folder refusing new files says where the card could not go; the help
    menu's item then writes qel-calc's table of the settings (metres, an aperture and focus between
    round values) and asks the browser to open it."""
    box = sandboxes.new()
    box.write_settings(settings_with(units="5", f_stop="6.72717", focus_at="2345.00"))
    use_stand_in_browser(box)
    P.install(ctx, box)
    card = os.path.join(box.data_folder, "Qel Field Card.html")
    shown = rf"C:\users\{box.user}\Documents\Qel\Qel Field Card.html"
    table = subprocess.run([ctx.qel_calc, "table", box.settings_path(), "--format", "html"], capture_output=True).stdout

    def actions(qel, screen):
        wx, wy, ww, wh = qel.geometry()
        xdo("mousemove", wx + ww - 2, wy + wh - 2, env=qel.env)  # keys go to the window under the pointer
        # The immutable attribute stops root too; chmod stops anyone else.
        lock, unlock = (["chattr", "+i"], ["chattr", "-i"]) if os.geteuid() == 0 else (["chmod", "555"], ["chmod", "755"])
        subprocess.run([*lock, box.data_folder], check=True)
        try:
            press(qel, "ctrl+p")
            qel.find_window("^Field Card$", timeout=15)
            message = " ".join(P.peek(qel, "Field Card").texts())
        finally:
            subprocess.run([*unlock, box.data_folder], check=True)
        check("could not write the field card" in message and shown in message, f"the message: {message!r}")
        P.key(qel, "Return", settle=0.5)
        check(not os.path.exists(card) and opened(box, timeout=0.5) == [], "a card was written or opened")
        screen.choose("units", 1, 3, "help-field-card", expected_items=5)
        check(opened(box, expected=1) == [shown], f"the browser was asked to open {opened(box)}")
        with open(card, "rb") as f:
            check(f.read() == table, "the card differs from qel-calc's table of the settings")

    run(ctx, box, "field_card", actions)
