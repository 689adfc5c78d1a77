"""What Qel computes, asked of qel-calc: the same core on the command line. A case gives the
default settings with some values replaced, qel-calc loads them as the program does at start-up
(and rounds them as switching snapping on does, when asked), and its state comes back. The cases
compute no result of their own: they work out from the screen where the program must show what
qel-calc says."""
import os
import struct
import subprocess
import tempfile

from cases import DEFAULT_SETTINGS, settings_with
from harness import Failure

_cache = {}  # by settings text and snapping: qel-calc's state

# The decimals each number setting is written with, as in the default settings file.
_DECIMALS = {line.split(" ")[0]: len(line.split(" ")[1].partition(".")[2])
             for line in DEFAULT_SETTINGS.splitlines() if "." in line.split(" ")[-1] and len(line.split(" ")) == 2}


def _text(key, value):
    """A value as its settings line writes it: text as it stands, a number with its key's decimals
    and its exact IEEE bits (which the program reads back as the very same number)."""
    if isinstance(value, str):
        return value
    if value < 0:
        return "-1"
    bits = struct.unpack(">Q", struct.pack(">d", value))[0]
    return f"{value:.{_DECIMALS[key]}f} x{bits:016X}"


def state_of_text(ctx, text, snap=False):
    """`qel-calc state` of a settings text: every input, result and scale window by name."""
    if (text, snap) in _cache:
        return _cache[text, snap]
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", newline="", suffix=".txt", dir=ctx.work,
                                     delete=False) as f:
        f.write(text)
    try:
        r = subprocess.run([ctx.qel_calc, "state", f.name, *(["--snap"] if snap else [])], capture_output=True,
                           text=True, timeout=30)
    finally:
        os.unlink(f.name)
    if r.returncode != 0:
        raise Failure(f"qel-calc state failed: {r.stderr}")
    values = {}
    for line in r.stdout.splitlines():
        name, _, rest = line.partition(" ")
        values[name] = [float(v) for v in rest.split()] if name == "focus_points" else float(rest)
    _cache[text, snap] = values
    return values


def state(ctx, snap=False, **values):
    """What the program computes from the defaults with these values; with `snap`, once they are
    rounded as switching snapping on rounds them."""
    got = state_of_text(ctx, settings_with(**{k: _text(k, v) for k, v in values.items()}), snap)
    for key, value in values.items():
        if not snap and not isinstance(value, str) and got[key] != (value if value >= 0 else -1):
            raise Failure(f"qel-calc read {key} {value!r} as {got[key]!r}")
    return got


def depth_of_field(ctx, **values):
    """near, far and the distance window (near end, far end; -1 for infinity) in millimetres."""
    s = state(ctx, **values)
    return s["near"], s["far"], (s["maxblur_near"], s["maxblur_far"])


def snapped(ctx, key, value, **values):
    """What snapping makes of `value` as the setting `key`: focus_at in the distance unit, fov in
    the macro unit, focal_length to its round value, f_stop to the nearest stop. A distance is
    rounded behind a 1 mm lens, so that nothing raises it to twice the focal length."""
    if key == "focus_at":
        values.setdefault("focal_length", "1.00")
    return state(ctx, snap=True, **{key: value}, **values)[key]


def rounds_clearly(ctx, key, value, margin=1e-6, **values):
    """Whether `value` lies clear of a rounding tie: `margin` (a fraction) either way snaps alike."""
    return snapped(ctx, key, value * (1 - margin), **values) == snapped(ctx, key, value * (1 + margin), **values)
