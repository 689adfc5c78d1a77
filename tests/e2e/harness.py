"""The machinery of Qel's end-to-end tests: a Wine prefix template made once per run, a sandbox
per case (HOME, TMPDIR, WINEPREFIX), an Xvfb display per worker, and a running qel.exe that the
cases drive with xdotool and photograph with ImageMagick's import."""
import os
import re
import shutil
import signal
import socket
import subprocess
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_BASE_ENV = {
    "WINEARCH": "win32",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
}
PROGRAM_DIR = ("drive_c", "Qel")  # C:\Qel holds qel.exe and its helpers qel-close.exe and qel-probe.exe
USER_FOLDERS = ("Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos", "Templates")


class Failure(Exception):
    """A check of a case did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def sandbox_env(root, display=None, lang="C.UTF-8"):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "XDG_", "LC_"))}
    env.update(WINE_BASE_ENV)
    env.update({
        "HOME": os.path.join(root, "home"),
        "TMPDIR": os.path.join(root, "tmp"),
        "WINEPREFIX": os.path.join(root, "prefix"),
        "XDG_CONFIG_HOME": os.path.join(root, "home", ".config"),
        "XDG_DATA_HOME": os.path.join(root, "home", ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(root, "home", ".cache"),
        "XDG_RUNTIME_DIR": os.path.join(root, "tmp"),
        "LANG": lang,
        "LC_ALL": lang,
    })
    if display is not None:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    for d in ("home", "tmp"):
        os.makedirs(os.path.join(root, d), exist_ok=True)
    return env


def wine_user(prefix):
    users = os.path.join(prefix, "drive_c", "users")
    names = [n for n in os.listdir(users) if n != "Public"]
    check(len(names) == 1, f"expected one user folder in {users}, found {names}")
    return names[0]


def make_template(root, qel_exe, close_exe):
    """wineboot a fresh prefix, map Calibri to Carlito, make the user folders real folders."""
    env = sandbox_env(root)
    subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "Calibri", "/d",
                    "Carlito", "/f"], env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env, check=True)
    prefix = env["WINEPREFIX"]
    user_dir = os.path.join(prefix, "drive_c", "users", wine_user(prefix))
    for name in USER_FOLDERS:
        p = os.path.join(user_dir, name)
        if os.path.islink(p):
            os.unlink(p)
            os.makedirs(p)
    socket_record = os.path.join(prefix, "wineserver")
    if os.path.lexists(socket_record):
        os.unlink(socket_record)
    program = os.path.join(prefix, *PROGRAM_DIR)
    os.makedirs(program, exist_ok=True)
    shutil.copy2(qel_exe, os.path.join(program, "qel.exe"))
    shutil.copy2(close_exe, os.path.join(program, "qel-close.exe"))
    probe_exe = os.path.join(os.path.dirname(close_exe), "qel-probe.exe")
    if os.path.exists(probe_exe):  # counts the running program's objects and memory
        shutil.copy2(probe_exe, os.path.join(program, "qel-probe.exe"))
    return prefix


def system_metrics(root, peek_exe):
    """What the template's Wine draws popup menus with (font, text height, check-mark column), as
    qel-peek.exe --metrics reports it: a dict of name -> text. The helper stays in the program
    folder, where the cases that list a window's controls use it too."""
    env = sandbox_env(root)
    prefix = env["WINEPREFIX"]
    program = os.path.join(prefix, *PROGRAM_DIR)
    shutil.copy2(peek_exe, os.path.join(program, "qel-peek.exe"))
    out = os.path.join(program, "metrics.txt")
    r = subprocess.run(["wine", r"C:\Qel\qel-peek.exe", r"C:\Qel\metrics.txt", "--metrics"], cwd=program, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    subprocess.run(["wineserver", "-w"], env=env, check=True)
    socket_record = os.path.join(prefix, "wineserver")
    if os.path.lexists(socket_record):
        os.unlink(socket_record)
    check(r.returncode == 0 and os.path.exists(out), f"qel-peek.exe --metrics failed (exit code {r.returncode})")
    with open(out, encoding="utf-8") as f:
        metrics = dict(line.split(" ", 1) for line in f.read().splitlines() if " " in line)
    os.unlink(out)
    for key in ("menu_font", "menu_text_height", "menu_check_width"):
        check(key in metrics, f"qel-peek.exe --metrics did not report {key}")
    return metrics


def copy_prefix(template_prefix, target_prefix):
    """Copies the template; the big read-only system folders are hard-linked."""
    linked = {os.path.join(template_prefix, "drive_c", "windows", d) for d in ("system32", "winsxs")}

    def copy(src, dst):
        if any(src.startswith(p + os.sep) for p in linked):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(template_prefix, target_prefix, symlinks=True, copy_function=copy)


class Display:
    """An Xvfb server with the WM_STATE helper."""

    def __init__(self, number, log_dir):
        self.number = number
        self.name = f":{number}"
        self.log = open(os.path.join(log_dir, f"xvfb-{number}.log"), "w")
        self.xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
                                      "tcp"], stdout=self.log, stderr=self.log)
        socket = f"/tmp/.X11-unix/X{number}"
        for _ in range(200):
            if os.path.exists(socket):
                break
            time.sleep(0.025)
        self.wm = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "wm_state.py"), self.name],
                                   stdout=subprocess.PIPE, stderr=self.log, text=True)
        check(self.wm.stdout.readline().strip() == "ready", f"WM_STATE helper did not start on {self.name}")

    def close(self):
        for p in (self.wm, self.xvfb):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        self.log.close()


def display_number_taken(n):
    """Whether an X server may already use display n. Besides the files in /tmp, X servers listen
    on an abstract socket that every process of the machine's network shares, also from another
    chroot or /tmp: a client of ours would reach that other server through it."""
    if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
        return True
    probe = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        probe.bind(f"\0/tmp/.X11-unix/X{n}")
        return False
    except OSError:
        return True
    finally:
        probe.close()


def free_display_number(start=70):
    n = start
    while display_number_taken(n):
        n += 1
    return n


class Sandbox:
    """One case's HOME, TMPDIR and WINEPREFIX (copied from the template)."""

    def __init__(self, root, template_prefix, display, lang="C.UTF-8"):
        self.root = root
        os.makedirs(root, exist_ok=True)
        copy_prefix(template_prefix, os.path.join(root, "prefix"))
        self.display = display
        self.lang = lang
        self.env = sandbox_env(root, display.name, lang)
        self.prefix = self.env["WINEPREFIX"]
        self.user = wine_user(self.prefix)
        self.data_folder = os.path.join(self.prefix, "drive_c", "users", self.user, "Documents", "Qel")
        self.program_folder = os.path.join(self.prefix, *PROGRAM_DIR)

    def settings_path(self):
        return os.path.join(self.data_folder, "Qel.txt")

    def backup_path(self):
        return os.path.join(self.data_folder, "qel backup.txt")

    def write_settings(self, text):
        os.makedirs(self.data_folder, exist_ok=True)
        with open(self.settings_path(), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)

    def read(self, path):
        with open(path, encoding="utf-8", newline="") as f:
            return f.read()

    def user_reg(self):
        with open(os.path.join(self.prefix, "user.reg"), encoding="utf-8", errors="replace") as f:
            return f.read()

    def window_placement(self):
        """The stored placement as bytes, or None."""
        text = self.user_reg()
        m = re.search(r'\[Software\\\\Orvanne\\\\Qel\\\\State\][^\[]*?"windowPlacement"=hex:((?:[0-9a-f,]|\\\n\s*)+)',
                      text)
        if not m:
            return None
        digits = re.sub(r"[^0-9a-f,]", "", m.group(1).replace("\\\n", ""))
        return bytes(int(b, 16) for b in digits.split(",") if b)

    def set_window_placement(self, record):
        """Seeds the stored placement before the program starts (the wineserver must be down)."""
        path = os.path.join(self.prefix, "user.reg")
        text = self.user_reg()
        hexes = ",".join(f"{b:02x}" for b in record)
        block = f'\n[Software\\\\Orvanne\\\\Qel\\\\State] 1700000000\n#time=1d0000000000000\n"windowPlacement"=hex:{hexes}\n'
        with open(path, "w", encoding="utf-8") as f:
            f.write(text.rstrip("\n") + "\n" + block)

    def wineserver_kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def xdo(*args, env=None, check_result=True):
    r = subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True, text=True, timeout=20)
    if check_result and r.returncode != 0:
        raise Failure(f"xdotool {' '.join(map(str, args))} failed: {r.stderr.strip()}")
    return r.stdout


class Qel:
    """A running qel.exe in a sandbox."""

    def __init__(self, sandbox, shots_dir, name):
        self.sandbox = sandbox
        self.env = sandbox.env
        self.shots_dir = shots_dir
        self.name = name
        self.shot_count = 0
        self.log = open(os.path.join(shots_dir, f"{name}.wine.log"), "a")
        self.process = subprocess.Popen(["wine", r"C:\Qel\qel.exe"], cwd=sandbox.program_folder, env=self.env,
                                        stdout=self.log, stderr=self.log)
        self.pid = self.process.pid
        self.window = self.find_window(r"^Qel 4\.22")
        self.settle()

    def find_window(self, name_pattern, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            check(self.process.poll() is None, "qel.exe exited while starting")
            out = xdo("search", "--all", "--onlyvisible", "--pid", self.pid, "--name", name_pattern, env=self.env,
                      check_result=False).split()
            if out:
                return out[0]
            time.sleep(0.1)
        raise Failure(f"no window named {name_pattern!r} appeared")

    def windows(self):
        """Every visible X window of the program (menus, popups, dialogs) other than the IME window."""
        out = xdo("search", "--all", "--onlyvisible", "--pid", self.pid, "--name", "", env=self.env,
                  check_result=False).split()
        return out

    def title(self):
        return xdo("getwindowname", self.window, env=self.env).strip()

    def geometry(self, window=None):
        out = xdo("getwindowgeometry", "--shell", window or self.window, env=self.env)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def settle(self, seconds=0.3):
        time.sleep(seconds)

    def to_screen(self, x, y):
        wx, wy, _, _ = self.geometry()
        return wx + x, wy + y

    def move(self, x, y):
        sx, sy = self.to_screen(x, y)
        xdo("mousemove", sx, sy, env=self.env)

    def click(self, x, y, button=1, settle=0.3):
        """Clicks at client (x, y), then rests the pointer in the window's bottom right corner, away
        from the toolbars, so that no popup help appears over later screenshots."""
        wx, wy, ww, wh = self.geometry()
        xdo("mousemove", wx + x, wy + y, "sleep", "0.05", "mousedown", button, "sleep", "0.05", "mouseup", button,
            "sleep", "0.05", "mousemove", wx + ww - 2, wy + wh - 2, env=self.env)
        self.settle(settle)

    def click_screen(self, sx, sy, settle=0.3):
        xdo("mousemove", sx, sy, "sleep", "0.05", "mousedown", 1, "sleep", "0.05", "mouseup", 1, env=self.env)
        self.settle(settle)

    def shot(self, label):
        """A screenshot of the client area as a PIL image (also kept as a PNG for inspection),
        taken once two grabs in a row agree, so that a repaint still under way is not caught."""
        self.shot_count += 1
        path = os.path.join(self.shots_dir, f"{self.name}-{self.shot_count:02d}-{label}.png")
        previous = None
        for _ in range(30):
            subprocess.run(["import", "-window", self.window, path], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            image = Image.open(path).convert("RGB")
            if previous is not None and image.size == previous.size and image.tobytes() == previous.tobytes():
                return image
            previous = image
            time.sleep(0.05)
        return previous

    def root_shot(self, label):
        """The whole screen (popups and menus are separate windows)."""
        self.shot_count += 1
        path = os.path.join(self.shots_dir, f"{self.name}-{self.shot_count:02d}-{label}.png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Image.open(path).convert("RGB")

    def close(self):
        """Closes the program as a user does and waits for it and the wineserver to end."""
        subprocess.run(["wine", r"C:\Qel\qel-close.exe"], cwd=self.sandbox.program_folder, env=self.env,
                       stdout=self.log, stderr=self.log, timeout=60)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Failure("qel.exe did not exit after WM_CLOSE")
        self.sandbox.wineserver_kill()
        self.log.close()

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        self.sandbox.wineserver_kill()
        if not self.log.closed:
            self.log.close()
