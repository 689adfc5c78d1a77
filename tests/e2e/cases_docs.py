"""End-to-end cases of the help documents: the help menu asks the shell to open exactly the
manual beside qel.exe, and without the manuals a message says which is missing and where Qel
looked, and the program goes on."""
import os
import re
import time
import zipfile

import peek as P
from cases import case, run, setting, settings_with
from harness import check, xdo

DOCUMENTS = ("Qel Quick Start.pdf", "Qel Reference Manual.pdf")
OPENED = "opened.txt"  # what the stand-in viewer writes, in the program's folder (C:\Qel)
PDF_COMMAND_KEY = r"[Software\\Classes\\pdffile\\shell\\open\\command]"


def use_stand_in_viewer(box):
    """Associates .pdf documents with a stand-in viewer that writes the path it was asked to open
    into C:\\Qel\\opened.txt (HKLM\\Software\\Classes in the prefix's system.reg)."""
    path = os.path.join(box.prefix, "system.reg")
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    check(re.search(r'^\[Software\\\\Classes\\\\\.pdf\][^\[]*@="pdffile"', text, re.M) is not None,
          "the prefix does not associate .pdf with pdffile")
    start = text.index(PDF_COMMAND_KEY)
    value = re.compile(r'^@=.*$', re.M).search(text, start)
    command = r'@="C:\\windows\\system32\\cmd.exe /c echo \"%1\">>C:\\Qel\\' + OPENED + '"'
    text = text[:value.start()] + command + text[value.end():]
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(text)


def opened(box, timeout=10.0, expected=1):
    """The paths the stand-in viewer was asked to open (waits until `expected` have arrived)."""
    path = os.path.join(box.program_folder, OPENED)
    deadline = time.time() + timeout
    lines = []
    while time.time() < deadline:
        if os.path.exists(path):
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = [line.strip().strip('"') for line in f.read().splitlines() if line.strip()]
            if len(lines) >= expected:
                break
        time.sleep(0.2)
    return lines


@case
def help_documents(ctx, sandboxes):
    """"Display Quick Start Reference" and "Display Reference Manual" ask the shell to open
    exactly the two manuals in the program's folder."""
    box = sandboxes.new()
    use_stand_in_viewer(box)
    for name in DOCUMENTS:
        with open(os.path.join(box.program_folder, name), "wb") as f:
            f.write(b"%PDF-1.4\n% stand-in manual\n")

    def actions(qel, screen):
        screen.choose("units", 1, 1, "help-quick-start", expected_items=5)
        got = opened(box, expected=1)
        check(got == [r"C:\Qel\Qel Quick Start.pdf"], f"the viewer was asked to open {got}")
        screen.choose("units", 1, 2, "help-reference", expected_items=5)
        got = opened(box, expected=2)
        check(got == [r"C:\Qel\Qel Quick Start.pdf", r"C:\Qel\Qel Reference Manual.pdf"],
              f"the viewer was asked to open {got}")

    run(ctx, box, "help_documents", actions)


@case
def help_documents_missing(ctx, sandboxes):
    """Without the manuals each help command says which document it did not find and in which
    folder it looked; after OK the program goes on: a unit chosen afterwards is in force and saved."""
    box = sandboxes.new()
    use_stand_in_viewer(box)
    P.install(ctx, box)
    for name in DOCUMENTS:
        check(not os.path.exists(os.path.join(box.program_folder, name)), f"{name} is in the sandbox")
    box.write_settings(settings_with(units="3"))

    def actions(qel, screen):
        for item, name in enumerate(DOCUMENTS, start=1):
            screen.choose("units", 1, item, f"help-missing-{item}", expected_items=5)
            message = qel.find_window("^Qel$", timeout=10)
            shown = P.peek(qel, "Qel").raw
            check(f"\u201c{name}\u201d" in shown and "folder: C:\\Qel " in shown,
                  f"the message for a missing {name} says:\n{shown}")
            qel.root_shot(f"help-missing-message-{item}")
            xdo("windowfocus", "--sync", message, env=qel.env)
            P.key(qel, "Return", settle=0.4)
            check(message not in qel.windows(), "the message stayed after Enter")
        check(opened(box, timeout=1.0) == [], "the viewer was started for a missing manual")
        screen.choose("units", 0, 5, "units-after-help", expected_items=6)
        screen.refresh("after-help")
        screen.check_button("units", 0, "IDM", False)

    saved = run(ctx, box, "help_documents_missing", actions)
    check(setting(saved, "units") == "5", f"units saved as {setting(saved, 'units')}")


@case
def release_package(ctx, sandboxes):
    """The release zip unpacked into the program's folder: its qel.exe starts, and the help menu asks
    the shell to open the real manuals that came with it."""
    check(ctx.release_zip and os.path.isfile(ctx.release_zip), f"no release package at {ctx.release_zip}")
    box = sandboxes.new()
    use_stand_in_viewer(box)
    with zipfile.ZipFile(ctx.release_zip) as package:
        package.extractall(box.program_folder)  # replaces the build's qel.exe with the packaged one
    for name in DOCUMENTS:
        with open(os.path.join(box.program_folder, name), "rb") as f:
            check(f.read(5) == b"%PDF-", f"{name} from the package is not a PDF")

    def actions(qel, screen):
        check(qel.title().startswith("Qel "), f"the packaged program shows the title {qel.title()!r}")
        screen.choose("units", 1, 1, "package-quick-start", expected_items=5)
        # The viewer has taken the first request before the menu is opened again.
        check(opened(box, expected=1) == [r"C:\Qel\Qel Quick Start.pdf"], "the Quick Start was not opened")
        screen.choose("units", 1, 2, "package-reference", expected_items=5)
        got = opened(box, expected=2)
        check(got == [r"C:\Qel\Qel Quick Start.pdf", r"C:\Qel\Qel Reference Manual.pdf"],
              f"the viewer was asked to open {got}")

    saved = run(ctx, box, "release_package", actions)
    check(setting(saved, "mode") == "0", "the packaged program did not save its settings")

