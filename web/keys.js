// The keyboard: the Windows program's keys, and the keys of the boxes, the dialog and the menus.
import { shell, canvas } from "./shell.js";
import { about, answer, closeAbout, errorBox, keepTabIn, nextError, questionBox } from "./boxes.js";
import { dialog, formCommand, ENTER, ESCAPE } from "./dialog.js";
import { choose, menuKey, menuOpen, setOpener } from "./menus.js";
import { at, onScales } from "./pointer.js";

// The core's key numbers by KeyboardEvent code, and by key for "=+" and "=-" (from the core).
let keys = null;
const keyTable = () => keys || (keys = JSON.parse(shell.M.UTF8ToString(shell.M._qel_keys())));
let tabbing = false;
let backwards = false;  // the last Tab was Shift+Tab
let altAlone = false;   // Alt is down and no other key has gone down since
let pointer = { x: 0, y: 0, inside: false };
onScales("pointermove", (e) => {
  const [x, y] = at(e);
  pointer = { x, y, inside: true };
});
onScales("pointerleave", (e) => { if (!e.relatedTarget || !(canvas.contains(e.relatedTarget) || e.relatedTarget.closest("#zones"))) pointer.inside = false; });

document.addEventListener("keydown", (e) => {
  if (e.key !== "Alt") altAlone = false;
  else if (!e.repeat) altAlone = true;
  // A box or the dialog keeps Tab to itself, as a modal window does.
  const modal = [errorBox, questionBox, about, dialog].find((box) => !box.hidden);
  if (modal && e.key === "Tab") {
    keepTabIn(modal, e);
    return;
  }
  if (!errorBox.hidden) {
    if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); nextError(); }
    return;
  }
  if (!questionBox.hidden) {  // Y and N answer, as the Windows box's Yes and No; Escape is No
    const k = e.key.toLowerCase();
    if (k === "escape" || k === "n" || k === "y") { e.preventDefault(); answer(k === "y"); }
    return;
  }
  if (!about.hidden) {
    if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); closeAbout(); }
    return;
  }
  if (!dialog.hidden) {
    // As in the Windows dialog: Escape is Cancel, Enter presses Apply (a focused button presses itself).
    if (e.key === "Escape" || (e.key === "Enter" && e.target.tagName !== "BUTTON")) {
      e.preventDefault();
      formCommand(e.key === "Escape" ? ESCAPE : ENTER, 0);
    }
    return;
  }
  if (menuOpen() && !(e.altKey && e.key.length === 1)) {
    menuKey(e);
    return;
  }
  if (menuOpen()) choose(0);  // Alt+letter over a menu: that letter's menu instead
  const key = keyTable()[`=${e.key}`] || keys[e.code] || 0;
  if (!key) return;
  if (key === keys.Tab && !e.ctrlKey && !e.altKey && !e.metaKey) {
    // Tab moves through the scales' values while the scales have the focus, then on to the
    // toolbar buttons, which the browser takes through; coming to the scales it starts at the
    // first value (Shift+Tab at the last).
    backwards = e.shiftKey;
    const active = document.activeElement;
    if (active && active !== document.body && active !== canvas) return;
    if (active === canvas && shell.M._qel_tab_leaves(e.shiftKey ? 1 : 0)) return;  // blur hides the cue
    if (active !== canvas) {
      tabbing = true;
      canvas.focus({ preventScroll: true });
      tabbing = false;
      shell.M._qel_focus_enter(e.shiftKey ? 1 : 0);
      e.preventDefault();
      shell.update();
      return;
    }
  }
  const handled = shell.M._qel_key(key, e.ctrlKey || e.metaKey ? 1 : 0, e.shiftKey ? 1 : 0, e.altKey ? 1 : 0,
                             pointer.x, pointer.y, pointer.inside ? 1 : 0);
  if (handled) {
    e.preventDefault();
    setOpener(null);
    shell.update();
  }
});

// Alt pressed and released alone opens the first menu, as F10 does (and closes a menu that is open).
document.addEventListener("keyup", (e) => {
  if (e.key !== "Alt" || !altAlone) return;
  altAlone = false;
  const boxes = [errorBox, questionBox, about, dialog].some((box) => !box.hidden);
  if (boxes) return;
  e.preventDefault();
  if (menuOpen()) choose(0);
  else coreKey("F10");
});
window.addEventListener("blur", () => { altAlone = false; });

const coreKey = (name) => {
  shell.M._qel_key(keyTable()[name], 0, 0, 0, 0, 0, 0);
  shell.update();
};
// The scales reached with Tab from the toolbars show the cue on their first value (on their last
// with Shift+Tab); left, they hide it.
canvas.addEventListener("focus", () => {
  if (tabbing || !canvas.matches(":focus-visible")) return;
  shell.M._qel_focus_enter(backwards ? 1 : 0);
  shell.update();
});
canvas.addEventListener("blur", () => coreKey("Escape"));
