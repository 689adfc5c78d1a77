// The toolbars over the scales, their pressed states and pictures, and popup help after a rest.
import { shell } from "./shell.js";
import { cell } from "./text.js";
import { setOpener } from "./menus.js";

const BUTTON_PITCH = 27;
const toolbarsBox = document.getElementById("toolbars");
const help = document.getElementById("popup-help");
const toolbarNodes = new Map();
let helpTimer = 0;

export function hideHelp() {
  clearTimeout(helpTimer);
  helpTimer = 0;
  help.hidden = true;
}

function buildToolbars(ui) {
  for (const t of ui.toolbars) {
    const bar = document.createElement("div");
    bar.className = "toolbar";
    bar.dataset.toolbar = t.id;
    const rows = Math.ceil(t.buttons.length / t.columns);
    bar.style.width = `${t.columns * BUTTON_PITCH + 2}px`;
    bar.style.height = `${rows * BUTTON_PITCH + 2}px`;
    t.buttons.forEach((button, index) => {
      const img = document.createElement("img");
      img.style.left = `${(index % t.columns) * BUTTON_PITCH}px`;
      img.style.top = `${Math.floor(index / t.columns) * BUTTON_PITCH}px`;
      img.draggable = false;
      img.alt = button.help;
      img.dataset.button = index;
      img.addEventListener("pointerdown", (e) => {
        e.preventDefault();
        if (e.button !== 0) return;
        hideHelp();
        clickButton(t.id, index, img);
      });
      img.addEventListener("pointerenter", (e) => {
        if (e.pointerType !== "mouse") return;
        hideHelp();
        helpTimer = setTimeout(() => {
          help.textContent = img.alt;
          help.hidden = false;
          const line = cell(shell.layoutHeight);
          const x = Math.min(e.clientX, window.innerWidth - help.offsetWidth - 2);
          help.style.left = `${Math.max(0, x)}px`;
          help.style.top = `${e.clientY + 2 * line}px`;
        }, 1000);
      });
      img.addEventListener("pointerleave", hideHelp);
      bar.appendChild(img);
    });
    toolbarsBox.appendChild(bar);
    toolbarNodes.set(t.id, bar);
  }
}

/// Shows the toolbars as the core reports them (built on the first call after a start).
export function showToolbars(ui) {
  if (toolbarNodes.size === 0) buildToolbars(ui);
  for (const t of ui.toolbars) {
    const bar = toolbarNodes.get(t.id);
    bar.style.left = `${t.x}px`;
    bar.style.top = `${t.y}px`;
    bar.hidden = !t.shown;
    bar.style.display = t.shown ? "" : "none";
    t.buttons.forEach((b, i) => {
      const img = bar.children[i];
      const src = `pictures/${b.bitmap}.png`;
      if (img.getAttribute("src") !== src) img.setAttribute("src", src);
      img.alt = b.help;
      img.classList.toggle("pressed", b.pressed);
    });
  }
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
