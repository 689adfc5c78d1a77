"""What a window holds beyond its pixels: qel-peek.exe lists the controls of a top-level window of
the program (id, class, enabled, screen rectangle, text) and the control with the keyboard focus."""
import os
import re
import shutil
import subprocess
import time

from harness import Failure, check, xdo

PEEK_OUTPUT = r"C:\Qel\peek.txt"


class Control:
    def __init__(self, ident, kind, enabled, rect, text):
        self.id, self.kind, self.enabled, self.rect, self.text = ident, kind, enabled, rect, text

    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2


class WindowContents:
    """One listing: controls by id (static labels without an id are kept in `labels`)."""

    def __init__(self, text):
        self.raw = text  # the listing itself: a control's text may run over several lines
        self.controls = {}
        self.labels = []
        self.focus = 0
        self.foreground = ""
        self.enabled = False
        for line in text.splitlines():
            parts = line.split(" ", 8)
            if parts[0] == "window":
                self.enabled = parts[1] == "1"
            elif parts[0] == "control":
                control = Control(int(parts[1]), parts[2], parts[3] == "1", tuple(map(int, parts[4:8])),
                                  parts[8] if len(parts) > 8 else "")
                if control.id in (-1, 0xFFFF) and control.kind == "Static":
                    self.labels.append(control)
                self.controls.setdefault(control.id, control)
            elif parts[0] == "focus":
                self.focus = int(parts[1])
            elif parts[0] == "foreground":
                self.foreground = line[len("foreground "):]

    def __getitem__(self, ident):
        check(ident in self.controls, f"no control {ident} in the window")
        return self.controls[ident]

    def texts(self):
        return [c.text for c in self.controls.values()] + [c.text for c in self.labels]


def install(ctx, box):
    """Puts qel-peek.exe beside qel.exe in the case's prefix."""
    exe_dir = os.path.dirname(ctx.pictures_dir)
    shutil.copy2(os.path.join(exe_dir, "qel-peek.exe"), os.path.join(box.program_folder, "qel-peek.exe"))


def peek(qel, title):
    """The contents of the program's visible top-level window with this exact title."""
    out = os.path.join(qel.sandbox.program_folder, "peek.txt")
    if os.path.exists(out):
        os.unlink(out)
    r = subprocess.run(["wine", r"C:\Qel\qel-peek.exe", PEEK_OUTPUT, title], cwd=qel.sandbox.program_folder,
                       env=qel.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
    check(r.returncode == 0, f"qel-peek found no window titled {title!r} (exit code {r.returncode})")
    with open(out, encoding="utf-8") as f:
        return WindowContents(f.read())


def key(qel, *keys, settle=0.1):
    xdo("key", *keys, env=qel.env)
    time.sleep(settle)


def type_text(qel, text, settle=0.05):
    xdo("type", "--delay", "15", text, env=qel.env)
    time.sleep(settle)


def template_tab_order(rc_path, dialog_id):
    """The control ids of a dialog template that take part in tabbing, in template order."""
    with open(rc_path, encoding="utf-8") as f:
        text = f.read()
    m = re.search(rf"^{dialog_id}\s+DIALOGEX.*?^BEGIN\s*$(.*?)^END\s*$", text, re.S | re.M)
    if not m:
        raise Failure(f"no dialog {dialog_id} in {rc_path}")
    order = []
    for line in m.group(1).splitlines():
        fields = line.split()
        if not fields:
            continue
        kind = fields[0]
        if kind == "EDITTEXT" or kind == "COMBOBOX":
            ident = int(fields[1].rstrip(","))
        elif kind in ("PUSHBUTTON", "DEFPUSHBUTTON"):
            ident = int(re.search(r'"[^"]*"\s*,\s*(-?\d+)', line).group(1))
        else:
            continue
        if "WS_TABSTOP" in line:
            order.append(ident)
    return order
