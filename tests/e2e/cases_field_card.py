"""End-to-end case of the field card: "Field Card..." in the help menu and Ctrl+P write the card of
the settings in use into the data folder, byte for byte as qel-calc writes it, and ask the shell to
open it with the browser; a data folder that takes no new file gives a message naming the path."""
import os
import re
import subprocess

import cases as C
import peek as P
from cases import case, run, settings_with
from cases_docs import OPENED, opened
from cases_keyboard import press
from harness import check, xdo

CARD = "Qel Field Card.html"


def use_stand_in_browser(box):
    """Associates .html files with a stand-in browser that writes the path it was asked to open
    into C:\\Qel\\opened.txt (HKLM\\Software\\Classes in the prefix's system.reg)."""
    path = os.path.join(box.prefix, "system.reg")
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    command = r'@="C:\\windows\\system32\\cmd.exe /c echo \"%1\">>C:\\Qel\\' + OPENED + '"'
    key = r"[Software\\Classes\\htmlfile\\shell\\open\\command]"
    if key in text:
        value = re.compile(r"^@=.*$", re.M).search(text, text.index(key))
        text = text[:value.start()] + command + text[value.end():]
    else:
        text += f"\n{key} 1700000000\n{command}\n"
    if r"[Software\\Classes\\.html]" not in text:
        text += '\n[Software\\\\Classes\\\\.html] 1700000000\n@="htmlfile"\n'
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(text)


def refusing_new_files(folder):
    """Makes the folder take no new file, also from root (the immutable attribute); returns what
    undoes it."""
    if os.geteuid() != 0:
        os.chmod(folder, 0o555)
        return lambda: os.chmod(folder, 0o755)
    r = subprocess.run(["chattr", "+i", folder], capture_output=True, text=True)
    check(r.returncode == 0, f"chattr +i {folder}: {r.stderr.strip()}")
    return lambda: subprocess.run(["chattr", "-i", folder], check=True)


def qel_calc(ctx, *args):
    r = subprocess.run([ctx.qel_calc, *args, "--format", "html"], capture_output=True, timeout=60)
    check(r.returncode == 0, f"qel-calc {' '.join(args)}: {r.stderr.decode()}")
    return r.stdout


@case
def field_card(ctx, sandboxes):
    """With the data folder refusing new files, Ctrl+P says where the card could not be written;
    then the help menu's "Field Card..." writes the depth-of-field table of the settings (metres,
    an aperture and a focus between the round values) and asks the browser to open it, and in
    Focus stacking Ctrl+P writes the stack plan of the limits and the three images set."""
    box = sandboxes.new()
    settings = settings_with(units="5", f_stop="6.72717", focus_at="2345.00", ni="3")
    box.write_settings(settings)
    use_stand_in_browser(box)
    P.install(ctx, box)
    card = os.path.join(box.data_folder, CARD)
    windows_card = rf"C:\users\{box.user}\Documents\Qel\{CARD}"
    table = qel_calc(ctx, "table", box.settings_path())
    stacked = os.path.join(box.root, "stacked.txt")
    with open(stacked, "w", encoding="utf-8", newline="\n") as f:
        f.write(settings.replace("\nmode 0\n", "\nmode 2\n"))
    stack = qel_calc(ctx, "stack", stacked, "--images", "3")

    def actions(qel, screen):
        wx, wy, ww, wh = qel.geometry()
        xdo("mousemove", wx + ww - 2, wy + wh - 2, env=qel.env)  # keys go to the window under the pointer
        undo = refusing_new_files(box.data_folder)
        try:
            press(qel, "ctrl+p")
            qel.find_window("^Field Card$", timeout=15)
            qel.root_shot("cannot-write")
            message = " ".join(P.peek(qel, "Field Card").texts())
        finally:
            undo()
        check("could not write the field card" in message and windows_card in message,
              f"the message does not name the card's path: {message!r}")
        check(not os.path.exists(card), "a card was written into the folder that takes no new file")
        P.key(qel, "Return", settle=0.5)
        check(opened(box, timeout=0.5) == [], "the browser was asked to open a card that was not written")

        screen.choose("units", 1, 3, "help-field-card", expected_items=5)
        got = opened(box, expected=1)
        check(got == [windows_card], f"the browser was asked to open {got}")
        with open(card, "rb") as f:
            check(f.read() == table, "the card differs from qel-calc's table of the settings")

        # The browser took the keyboard, as it does on Windows: a click on the details gives it back.
        left, top, right, bottom = screen.layout.scale(4)
        qel.click((left + right) // 2, (top + bottom) // 2)
        press(qel, "ctrl+3", settle=0.6)
        screen.refresh("focus-stacking")
        C.check_mode_buttons(screen, 2)
        press(qel, "ctrl+p")
        got = opened(box, expected=2)
        check(got == [windows_card] * 2, f"the browser was asked to open {got}")
        with open(card, "rb") as f:
            check(f.read() == stack, "the card differs from qel-calc's stack plan of the settings")

    run(ctx, box, "field_card", actions)
