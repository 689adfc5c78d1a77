// Pointer and touch on the scales: the left and right mouse buttons as on Windows; one finger is
// the left button, two fingers on a column the right-button drag that zooms.
import { shell, canvas } from "./shell.js";
import { choose, menuOpen } from "./menus.js";
import { hideHelp } from "./toolbars.js";

let pressed = null;      // {pointer, button} of the press the core is following
let pendingTouch = null; // a finger down that has not yet become a press
const touches = new Map();

/// A press (or a finger) is under way on the scales.
export const pressing = () => pressed !== null || pendingTouch !== null;

export function at(e) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top)];
}

function press(button, x, y, pointerId) {
  pressed = { pointerId, button };
  shell.M._qel_mouse(0, button, x, y);
  shell.update();
}

function startTouch() {
  if (!pendingTouch) return;
  const t = pendingTouch;
  pendingTouch = null;
  clearTimeout(t.timer);
  press(0, t.x, t.y, t.pointerId);
}

canvas.addEventListener("contextmenu", (e) => e.preventDefault());
canvas.addEventListener("pointerdown", (e) => {
  e.preventDefault();
  hideHelp();
  if (menuOpen()) choose(0);
  canvas.setPointerCapture(e.pointerId);
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    touches.set(e.pointerId, { x, y });
    if (touches.size === 2 && pendingTouch) {
      // Two fingers on a column: the right-button drag that zooms, from their middle.
      clearTimeout(pendingTouch.timer);
      const [a, b] = [...touches.values()];
      pendingTouch = null;
      press(2, Math.round((a.x + b.x) / 2), Math.round((a.y + b.y) / 2), e.pointerId);
      pressed.twoFinger = true;
      return;
    }
    if (touches.size === 1) {
      // One finger is the left button; it waits a moment for a second finger.
      pendingTouch = { x, y, pointerId: e.pointerId, timer: setTimeout(startTouch, 120) };
    }
    return;
  }
  if (pressed) return;
  press(e.button === 2 ? 2 : 0, x, y, e.pointerId);
});

canvas.addEventListener("pointermove", (e) => {
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    const t = touches.get(e.pointerId);
    if (t) { t.x = x; t.y = y; }
    if (pendingTouch && pendingTouch.pointerId === e.pointerId &&
        Math.abs(x - pendingTouch.x) + Math.abs(y - pendingTouch.y) > 4) startTouch();
    if (pressed && pressed.twoFinger) {
      const [a, b] = [...touches.values()];
      if (a && b) shell.M._qel_mouse(1, 2, Math.round((a.x + b.x) / 2), Math.round((a.y + b.y) / 2));
      shell.update(false);
      return;
    }
  }
  if (pressed && pressed.pointerId !== e.pointerId) return;
  shell.M._qel_mouse(1, 0, x, y);
  shell.update(false);
});

function release(e) {
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    touches.delete(e.pointerId);
    if (pendingTouch && pendingTouch.pointerId === e.pointerId) startTouch();
    if (pressed && pressed.twoFinger) {
      if (touches.size === 0) {
        shell.M._qel_mouse(2, 2, x, y);
        pressed = null;
        shell.update();
      }
      return;
    }
  }
  if (!pressed || pressed.pointerId !== e.pointerId) return;
  shell.M._qel_mouse(2, pressed.button, x, y);
  pressed = null;
  shell.update();
}
canvas.addEventListener("pointerup", release);
canvas.addEventListener("pointercancel", (e) => {
  touches.delete(e.pointerId);
  if (pressed && pressed.pointerId === e.pointerId) {
    shell.M._qel_mouse(3, 0, 0, 0);
    pressed = null;
    shell.update();
  }
});
canvas.addEventListener("pointerleave", () => {
  if (!pressed) canvas.style.cursor = "default";
});
