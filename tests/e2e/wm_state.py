#!/usr/bin/python3
"""A minimal stand-in for a window manager's ICCCM duty on an Xvfb display.

Wine waits up to 2 s on every hide or destroy of a top-level window for WM_STATE to change when
no window manager runs. This client sets WM_STATE to Normal when a top-level window is mapped
and to Withdrawn when it is unmapped; it neither reparents nor decorates, so every Wine window
stays exactly its client area.

    wm_state.py :DISPLAY
"""
import sys

from Xlib import X, Xatom, display as xdisplay, error as xerror


def main():
    d = xdisplay.Display(sys.argv[1])
    d.set_error_handler(lambda *args: None)  # windows may be gone by the time we touch them
    root = d.screen().root
    wm_state = d.intern_atom("WM_STATE")
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    d.sync()
    sys.stdout.write("ready\n")
    sys.stdout.flush()

    def set_state(window, state):
        try:
            window.change_property(wm_state, wm_state, 32, [state, X.NONE])
            d.flush()
        except xerror.XError:
            pass

    while True:
        event = d.next_event()
        if event.type == X.MapNotify and not event.override:
            set_state(event.window, 1)  # NormalState
        elif event.type == X.UnmapNotify:
            set_state(event.window, 0)  # WithdrawnState


if __name__ == "__main__":
    try:
        main()
    except (KeyboardInterrupt, BrokenPipeError):
        pass
    except Exception:  # the display went away: the run is over
        pass
