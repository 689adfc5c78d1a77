// The keyboard: the Windows program's keys, and the keys of the boxes, the dialog and the menus.
import { shell, canvas } from "./shell.js";
import { about, closeAbout, errorBox, nextError } from "./boxes.js";
import { dialog } from "./dialog.js";
import { menuKey, menuOpen, setOpener } from "./menus.js";
import { at } from "./pointer.js";

const CODES = {
  Digit1: 1, Digit2: 2, Digit3: 3, Digit4: 4, Digit5: 5,
  Numpad1: 1, Numpad2: 2, Numpad3: 3, Numpad4: 4, Numpad5: 5,
  KeyC: 6, KeyE: 7, KeyF: 8, KeyG: 9, KeyH: 10, KeyR: 11, KeyT: 12, KeyU: 13, F1: 14,
  NumpadAdd: 15, Equal: 15, NumpadSubtract: 16, Minus: 16,
  ArrowUp: 17, ArrowDown: 18, PageUp: 19, PageDown: 20, Tab: 21, Escape: 22,
};
let pointer = { x: 0, y: 0, inside: false };
canvas.addEventListener("pointermove", (e) => {
  const [x, y] = at(e);
  pointer = { x, y, inside: true };
});
canvas.addEventListener("pointerleave", () => { pointer.inside = false; });

document.addEventListener("keydown", (e) => {
  if (!errorBox.hidden) {
    if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); nextError(); }
    return;
  }
  if (!about.hidden) {
    if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); closeAbout(); }
    return;
  }
  if (!dialog.hidden) {
    if (e.key === "Escape") e.preventDefault();  // as on Windows, Escape leaves the dialog open
    return;
  }
  if (menuOpen()) {
    menuKey(e);
    return;
  }
  let key = CODES[e.code] || 0;
  if (e.key === "+") key = 15;
  if (e.key === "-") key = 16;
  if (!key) return;
  const handled = shell.M._qel_key(key, e.ctrlKey || e.metaKey ? 1 : 0, e.shiftKey ? 1 : 0, e.altKey ? 1 : 0,
                             pointer.x, pointer.y, pointer.inside ? 1 : 0);
  if (handled) {
    e.preventDefault();
    setOpener(null);
    shell.update();
  }
});
