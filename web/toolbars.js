// The toolbars over the scales, their pressed states and pictures (drawn by the core for the
// screen's device pixels, one picture pixel to one device pixel), and popup help after a rest.
import { shell } from "./shell.js";
import { cell } from "./text.js";
import { setOpener } from "./menus.js";

const REACH = 22;         // a touch this near a button's centre (CSS pixels, across and down) is on it
const LONG_PRESS = 500;   // ms: a finger held this long on a button shows its help instead
const toolbarsBox = document.getElementById("toolbars");
const help = document.getElementById("popup-help");
const toolbarNodes = new Map();
let helpTimer = 0;

export function hideHelp() {
  clearTimeout(helpTimer);
  helpTimer = 0;
  help.hidden = true;
}

// A screen with only a touch screen has no keys to press: its help leaves the shortcuts out
// ("Focus stacking mode (Ctrl+3)" reads "Focus stacking mode"), and so do its menus.
const anyCoarse = window.matchMedia("(any-pointer: coarse)");
const anyFine = window.matchMedia("(any-pointer: fine)");
export const touchOnly = () => anyCoarse.matches && !anyFine.matches;
function markTouchOnly() { document.documentElement.classList.toggle("touch-only", touchOnly()); }
anyCoarse.addEventListener("change", markTouchOnly);
anyFine.addEventListener("change", markTouchOnly);
markTouchOnly();
export const withoutKeys = (text) => text.replace(/ \([^()]*\)$/, "").replace(/, (Ctrl|Alt)\+\w+/g, "");

function showHelp(button, x, y) {
  const text = button.getAttribute("aria-label");
  help.textContent = touchOnly() ? withoutKeys(text) : text;
  help.hidden = false;
  const line = cell(shell.layoutHeight);
  const left = Math.min(x, window.innerWidth - help.offsetWidth - 2);
  help.style.left = `${Math.max(0, left)}px`;
  help.style.top = `${Math.min(y + 2 * line, window.innerHeight - help.offsetHeight - 2)}px`;
}

/// The button a pointer event is on: for a finger the nearest within reach, for a mouse the one
/// under it.
function buttonAt(bar, e) {
  if (e.pointerType === "mouse") return e.target.closest("button");
  let best = null, distance = Infinity;
  for (const b of bar.children) {
    const r = b.getBoundingClientRect();
    const dx = Math.abs(e.clientX - (r.left + r.right) / 2), dy = Math.abs(e.clientY - (r.top + r.bottom) / 2);
    if (dx <= REACH && dy <= REACH && dx + dy < distance) {
      best = b;
      distance = dx + dy;
    }
  }
  return best;
}

function buildToolbars(ui) {
  for (const t of ui.toolbars) {
    const bar = document.createElement("div");
    bar.className = "toolbar";
    bar.dataset.toolbar = t.id;
    bar.setAttribute("role", "toolbar");
    t.buttons.forEach((button, index) => {
      const node = document.createElement("button");
      node.type = "button";
      node.dataset.button = index;
      node.setAttribute("aria-label", button.help);
      const picture = document.createElement("canvas");
      picture.setAttribute("aria-hidden", "true");
      node.appendChild(picture);
      // Enter and Space click a focused button (a pointer's click is taken at its press).
      node.addEventListener("click", (e) => {
        if (e.detail === 0) clickButton(t.id, index, node);
      });
      node.addEventListener("pointerenter", (e) => {
        if (e.pointerType !== "mouse") return;
        hideHelp();
        helpTimer = setTimeout(() => showHelp(node, e.clientX, e.clientY), 1000);
      });
      node.addEventListener("pointerleave", hideHelp);
      bar.appendChild(node);
    });
    // A mouse press clicks at once; a finger clicks when it lifts, unless it was held to see the help.
    let touch = null;
    bar.addEventListener("pointerdown", (e) => {
      const node = buttonAt(bar, e);
      if (!node || e.button !== 0) return;
      e.preventDefault();
      hideHelp();
      if (e.pointerType === "mouse") {
        clickButton(t.id, Number(node.dataset.button), node);
        return;
      }
      touch = { id: e.pointerId, node, helped: false };
      const r = node.getBoundingClientRect();
      helpTimer = setTimeout(() => {
        touch.helped = true;
        showHelp(node, r.left, r.top);
      }, LONG_PRESS);
    });
    bar.addEventListener("pointerup", (e) => {
      if (!touch || touch.id !== e.pointerId) return;
      const { node, helped } = touch;
      touch = null;
      clearTimeout(helpTimer);
      if (helped) setTimeout(hideHelp, 1500);
      else if (buttonAt(bar, e) === node) clickButton(t.id, Number(node.dataset.button), node);
    });
    bar.addEventListener("pointercancel", () => {
      touch = null;
      hideHelp();
    });
    bar.addEventListener("contextmenu", (e) => e.preventDefault());
    toolbarsBox.appendChild(bar);
    toolbarNodes.set(t.id, bar);
  }
}

// The buttons' size follows the layout's pixel scale: 24 pixels, 27 apart, at the design size; on
// a touch screen each is a finger's target, its picture in the middle.
let buttonSize = "";
function sizeToolbars(ui) {
  const size = `${ui.button}/${ui.pitch}/${ui.border}/${ui.target}`;
  if (size === buttonSize) return;
  buttonSize = size;
  const margin = `${(ui.target - ui.button) / 2}px`;
  for (const t of ui.toolbars) {
    const bar = toolbarNodes.get(t.id);
    const rows = Math.ceil(t.buttons.length / t.columns);
    bar.style.width = `${t.columns * ui.pitch + 2 * ui.border}px`;
    bar.style.height = `${rows * ui.pitch + 2 * ui.border}px`;
    bar.style.borderWidth = `${ui.border}px`;
    Array.from(bar.children).forEach((node, index) => {
      node.style.left = `${(index % t.columns) * ui.pitch}px`;
      node.style.top = `${Math.floor(index / t.columns) * ui.pitch}px`;
      node.style.width = node.style.height = `${ui.target}px`;
      node.firstChild.style.margin = margin;
    });
  }
}

// A factor none of the pictures shows is written on the button, white on black as the pictures
// are, in the screen's device pixels.
function drawLabel(canvas, label, css) {
  const dpr = window.devicePixelRatio || 1;
  const size = Math.max(1, Math.round(css * dpr));
  const key = `label:${label}/${size}/${dpr}`;
  if (canvas.dataset.drawn === key) return;
  canvas.dataset.drawn = key;
  canvas.width = canvas.height = size;
  canvas.style.width = canvas.style.height = `${size / dpr}px`;
  const g = canvas.getContext("2d");
  g.fillStyle = "#000";
  g.fillRect(0, 0, size, size);
  g.fillStyle = "#fff";
  g.font = `bold ${Math.round(size * 11 / 24)}px Carlito, sans-serif`;
  g.textAlign = "center";
  g.textBaseline = "middle";
  g.fillText(label, size / 2, size / 2, size - 2);
}

/// Shows the toolbars as the core reports them (built on the first call after a start).
export function showToolbars(ui) {
  if (toolbarNodes.size === 0) {
    buttonSize = "";
    buildToolbars(ui);
  }
  sizeToolbars(ui);
  for (const t of ui.toolbars) {
    const bar = toolbarNodes.get(t.id);
    bar.style.left = `${t.x}px`;
    bar.style.top = `${t.y}px`;
    bar.hidden = !t.shown;
    bar.style.display = t.shown ? "" : "none";
    t.buttons.forEach((b, i) => {
      const node = bar.children[i];
      if (b.label) drawLabel(node.firstChild, b.label, ui.button);
      else drawPicture(node.firstChild, b.picture, ui.button);
      node.setAttribute("aria-label", b.help);
      node.classList.toggle("pressed", b.pressed);
      if (t.kind !== "push") node.setAttribute("aria-pressed", String(b.pressed));
    });
  }
}

/// Draws a button's picture `css` CSS pixels square in as many device pixels as that rounds to,
/// where the device pixels begin (a picture between them would be resampled and blurred).
function drawPicture(canvas, picture, css) {
  const dpr = window.devicePixelRatio || 1;
  const size = Math.max(1, Math.round(css * dpr));
  const key = `${picture}/${size}/${dpr}`;
  if (canvas.dataset.drawn !== key) {
    canvas.dataset.drawn = key;
    canvas.width = canvas.height = size;
    canvas.style.width = canvas.style.height = `${size / dpr}px`;
    const M = shell.M;
    const pixels = M._qel_picture(picture, size);
    if (pixels) {
      const image = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, pixels, size * size * 4).slice(), size, size);
      canvas.getContext("2d").putImageData(image, 0, 0);
    }
  }
  canvas.style.transform = "";
  const r = canvas.getBoundingClientRect();
  const dx = Math.round(r.left * dpr) / dpr - r.left, dy = Math.round(r.top * dpr) / dpr - r.top;
  if (dx || dy) canvas.style.transform = `translate(${dx}px, ${dy}px)`;
}

/// Forgets the toolbars: a new start builds them again.
export function resetToolbars() {
  toolbarNodes.clear();
  toolbarsBox.textContent = "";
}

function clickButton(toolbar, index, img) {
  setOpener(img || null);
  shell.M._qel_toolbar_click(toolbar, index);
  shell.update();
}
