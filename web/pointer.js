// Pointer and touch on the scales: the left and right mouse buttons as on Windows; fingers go to
// the core, which makes one finger the left button and two fingers (a pinch) the right-button zoom.
import { shell, canvas, zones } from "./shell.js";
import { choose, menuOpen } from "./menus.js";
import { hideHelp } from "./toolbars.js";

let pressed = null;  // {pointerId, button} of the mouse or pen press the core is following

/// A press (or a finger) is under way on the scales.
export const pressing = () => pressed !== null || shell.M._qel_touching() !== 0;

export function at(e) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top)];
}

/// Input on the scales: on the canvas, or on a zone over it.
export function onScales(type, handler, options) {
  canvas.addEventListener(type, handler, options);
  zones.addEventListener(type, handler, options);
}

/// Places the zones where two fingers are the scales' (the rectangles the core reports).
let zoneKey = "";
export function placeZones(rects) {
  const key = JSON.stringify(rects);
  if (key === zoneKey) return;
  zoneKey = key;
  zones.textContent = "";
  for (const [l, t, r, b] of rects) {
    const zone = zones.appendChild(document.createElement("div"));
    zone.style.cssText = `left: ${l}px; top: ${t}px; width: ${r - l}px; height: ${b - t}px`;
  }
}

onScales("contextmenu", (e) => e.preventDefault());
onScales("pointerdown", (e) => {
  e.preventDefault();
  hideHelp();
  if (menuOpen()) choose(0);
  canvas.setPointerCapture(e.pointerId);
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    shell.M._qel_touch(0, e.pointerId, x, y);
    shell.update(false);
    return;
  }
  if (pressed) return;
  pressed = { pointerId: e.pointerId, button: e.button === 2 ? 2 : 0 };
  shell.M._qel_mouse(0, pressed.button, x, y);
  shell.update();
});

onScales("pointermove", (e) => {
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    shell.M._qel_touch(1, e.pointerId, x, y);
  } else {
    if (pressed && pressed.pointerId !== e.pointerId) return;
    shell.M._qel_mouse(1, 0, x, y);
  }
  shell.update(false);
});

function release(e) {
  const [x, y] = at(e);
  if (e.pointerType === "touch") {
    shell.M._qel_touch(2, e.pointerId, x, y);
    shell.update();
    return;
  }
  if (!pressed || pressed.pointerId !== e.pointerId) return;
  shell.M._qel_mouse(2, pressed.button, x, y);
  pressed = null;
  shell.update();
}
onScales("pointerup", release);
onScales("pointercancel", (e) => {
  if (e.pointerType === "touch") {
    shell.M._qel_touch(3, e.pointerId, 0, 0);
  } else if (pressed && pressed.pointerId === e.pointerId) {
    shell.M._qel_mouse(3, 0, 0, 0);
    pressed = null;
  }
  shell.update();
});
onScales("pointerleave", () => {
  if (!pressed) canvas.style.cursor = "default";
});

// The wheel scrolls the details panel's lines when they do not all fit; rows are counted as
// Windows counts them, three to a notch.
let wheelRest = 0;
onScales("wheel", (e) => {
  const [x, y] = at(e);
  const perRow = e.deltaMode === 1 ? 1 / 3 : e.deltaMode === 2 ? 1 / 30 : 100 / 3;
  wheelRest += e.deltaY / perRow;
  const rows = Math.trunc(wheelRest);
  wheelRest -= rows;
  if (shell.M._qel_wheel(x, y, rows)) {
    e.preventDefault();
    shell.update(false);
  } else {
    wheelRest = 0;
  }
}, { passive: false });
