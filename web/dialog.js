// The camera dialog: a form over the core's dialog logic, laid out from the dialog's template.
import { shell } from "./shell.js";
import { ask, showErrors } from "./boxes.js";
import { emOf } from "./text.js";

export const dialog = document.getElementById("camera-dialog");
const form = document.getElementById("camera-form");
const buttonBar = document.getElementById("camera-buttons");
let formControls = null;  // id -> element
let buttons = [];         // the push buttons, in the template's order
let template = null;      // the template's size in dialog units
const FONT = 13;          // the fields' font at the least, in CSS pixels; a dialog unit is 1.75 of them
const FONT_PER_EM = 0.55; // the fields' font to the scales' text: the scales' text grows with the window,
                          // the dialog's at about half its rate, so that it fits a large screen at ease
const HALF = 185;  // dialog units: controls from here rightwards are the template's second half
const ROW = 4;     // controls within this many dialog units of a row's top are on that row
const coarse = window.matchMedia("(pointer: coarse)");

/// On a small screen the form is a grid: each row's label, field and unit side by side, the
/// template's halves one above the other (side by side when there is room), and the buttons in a
/// bar that stays in view. The grid places come from the template's rows.
function placeInGrid(layout, nodes) {
  const halves = [[], []];
  for (const c of layout.controls) {
    if (c.kind === "PUSHBUTTON") continue;
    const half = halves[c.x >= HALF ? 1 : 0];
    let row = half.find((r) => Math.abs(r.y - c.y) <= ROW);
    if (!row) half.push(row = { y: c.y, controls: [] });
    row.controls.push(c);
  }
  let narrowRow = 1;
  halves.forEach((rows, half) => {
    rows.sort((a, b) => a.y - b.y);
    let label = null;
    rows.forEach((row, i) => {
      row.controls.sort((a, b) => a.x - b.x);
      const labelled = row.controls[0].kind === "LTEXT" && row.controls.length > 1;
      if (labelled) label = nodes.get(row.controls[0]);
      const names = [];
      row.controls.forEach((c, k) => {
        const node = nodes.get(c);
        const column = Math.min(labelled ? k : k + 1, 2);
        node.style.setProperty("--column", String(half * 4 + column + 1));  // a gap column between the halves
        node.style.setProperty("--narrow-column", String(column + 1));
        node.style.setProperty("--row", String(i + 1));
        node.style.setProperty("--narrow-row", String(narrowRow));
        if (column !== 1 && c.kind === "LTEXT") {
          if (!node.id) node.id = `label-${half}-${i}-${k}`;
          if (column === 2) names.push(node.id);
        }
      });
      // A field is named by its row's label (or the row's above it) and its unit: "Frame Width pixels".
      if (label && label.id) names.unshift(label.id);
      for (const c of row.controls) {
        const node = nodes.get(c);
        if (c.kind === "EDITTEXT" || c.kind === "COMBOBOX") node.setAttribute("aria-labelledby", names.join(" "));
      }
      narrowRow += 1;
    });
  });
}

/// The template's absolute layout where it fits the window, its text growing with the scales' text
/// (as far as the window has room for it), else the grid.
function fitForm() {
  if (!template) return;
  const fits = (font) => template.width * dlu(font) + 24 <= window.innerWidth && template.height * dlu(font) + 72 <= window.innerHeight;
  let font = Math.max(FONT, Math.round(FONT_PER_EM * emOf(shell.layoutHeight)));
  while (font > FONT && !fits(font)) font -= 1;
  const grid = !fits(font);
  dialog.style.setProperty("--font", `${font}px`);
  dialog.style.setProperty("--dlu", `${dlu(font)}px`);
  dialog.classList.toggle("grid", grid);
  // In the form in the template's order (its Tab order); in the bar as they stand: New, Delete, Prev, Next, Apply.
  const order = grid ? [...buttons].sort((a, b) => a.y - b.y || a.x - b.x) : buttons;
  for (const b of order) (grid ? buttonBar : form).appendChild(b.node);
}
const dlu = (font) => (1.75 * font) / FONT;
window.addEventListener("resize", () => { if (!dialog.hidden) fitForm(); });

// The field with the focus stays in view above an on-screen keyboard (which makes the viewport
// smaller, or only the visual viewport where the browser does not resize the page).
function keepFocusInView() {
  const field = document.activeElement;
  if (!dialog.hidden && field && form.contains(field)) field.scrollIntoView({ block: "nearest", inline: "nearest" });
}
form.addEventListener("focusin", () => requestAnimationFrame(keepFocusInView));
if (window.visualViewport) {
  window.visualViewport.addEventListener("resize", () => {
    document.documentElement.style.setProperty("--visual-height", `${window.visualViewport.height}px`);
    requestAnimationFrame(keepFocusInView);
  });
}

async function buildForm() {
  const layout = await (await fetch("camera-dialog.json")).json();
  formControls = new Map();
  template = { width: layout.width, height: layout.height };
  form.style.setProperty("--w", String(layout.width));
  form.style.setProperty("--h", String(layout.height));
  const nodes = new Map();
  for (const c of layout.controls) {
    let node;
    if (c.kind === "EDITTEXT") {
      node = document.createElement("input");
      node.type = "text";
      node.spellcheck = false;
      node.autocomplete = "off";
    } else if (c.kind === "COMBOBOX") {
      node = document.createElement("select");
      node.addEventListener("change", () => formCommand(c.id, 1));
    } else if (c.kind === "PUSHBUTTON") {
      node = document.createElement("button");
      node.type = "button";
      node.textContent = c.text;
      node.addEventListener("click", () => formCommand(c.id, 0));
      buttons.push({ node, x: c.x, y: c.y });
    } else {
      node = document.createElement("div");
      node.className = "label";
      node.textContent = c.text;
    }
    node.classList.add("control");
    node.style.setProperty("--x", String(c.x));
    node.style.setProperty("--y", String(c.y));
    node.style.setProperty("--w", String(c.width));
    node.style.setProperty("--h", String(c.kind === "COMBOBOX" ? 14 : c.height));
    if (c.id > 0) {
      node.id = `control-${c.id}`;
      formControls.set(c.id, node);
    }
    nodes.set(c, node);
    form.appendChild(node);
  }
  placeInGrid(layout, nodes);
}

function pushForm() {
  const M = shell.M;
  for (const [id, node] of formControls) {
    if (node.tagName === "INPUT") {
      const value = node.value;
      const ptr = M._malloc(Math.max(1, value.length) * 2);
      for (let i = 0; i < value.length; ++i) M.HEAPU16[(ptr >> 1) + i] = value.charCodeAt(i);
      M._qel_form_set_text(id, ptr, value.length);
      M._free(ptr);
    } else if (node.tagName === "SELECT") {
      M._qel_form_set_selection(id, node.selectedIndex);
    }
  }
}

let nameField = 0;  // the one field that takes text; the others take numbers

function showForm(state) {
  if (nameField !== state.name) {
    nameField = state.name;
    for (const [id, node] of formControls) {
      if (node.tagName === "INPUT") node.inputMode = id === nameField ? "text" : "decimal";
    }
  }
  for (const [id, items] of Object.entries(state.items)) {
    const node = formControls.get(Number(id));
    if (node && node.options.length !== items.length) {
      node.textContent = "";
      for (const item of items) node.appendChild(new Option(item));
    }
  }
  for (const [id, value] of Object.entries(state.texts)) {
    const node = formControls.get(Number(id));
    if (!node) continue;
    if (node.tagName === "INPUT") {
      if (node.value !== value) node.value = value;
    } else {
      node.textContent = value;
    }
  }
  for (const [id, index] of Object.entries(state.selections)) {
    const node = formControls.get(Number(id));
    if (node) node.selectedIndex = index;
  }
  for (const [id, units] of Object.entries(state.limits)) {
    const node = formControls.get(Number(id));
    if (node) node.maxLength = units;
  }
  for (const [id, on] of Object.entries(state.enabled)) {
    const node = formControls.get(Number(id));
    if (node) node.disabled = !on;
  }
  shell.dialogTitle = state.title;
  document.title = shell.dialogTitle || (shell.ui && shell.ui.title) || document.title;
}

function runForm(action, control, notification, answer = -1) {
  if (action !== 0) pushForm();
  const state = JSON.parse(shell.M.UTF8ToString(shell.M._qel_form(action, control, notification, answer)));
  showForm(state);
  if (state.question) {  // asked before anything changed: on Yes the same command runs again, answered
    ask(state.question).then((yes) => {
      if (yes) runForm(action, control, notification, 1);
      else if (formControls.has(control)) formControls.get(control).focus();
    });
    return;
  }
  const finish = () => {
    if (state.ended) {
      dialog.hidden = true;
      shell.dialogTitle = "";
    }
    // A refused field keeps what was typed and is selected, for the user to put right; after New
    // the name "Enter name here" is selected, for typing the name over it.
    const refused = state.selected && formControls.get(state.selected);
    if (refused && !dialog.hidden) {
      refused.focus();
      refused.select();
    }
    shell.update();
  };
  if (state.errors.length) showErrors(state.errors, finish);
  else finish();
}

export const formCommand = (control, notification) => runForm(1, control, notification);
// The dialog's Enter (IDOK: Apply) and Escape (IDCANCEL: Cancel).
export const ENTER = 1;
export const ESCAPE = 2;

let dialogOpening = false;
export async function openCameraDialog() {
  if (!dialog.hidden || dialogOpening) return;
  dialogOpening = true;
  if (!formControls) await buildForm();
  dialogOpening = false;
  fitForm();
  dialog.hidden = false;
  runForm(0, 0, 0);
  // On a touch screen nothing takes the focus until the user taps a field: a focused field would
  // raise the on-screen keyboard over the dialog at once.
  const name = formControls.get(nameField);
  if (name && !coarse.matches) {
    name.focus();
    name.setSelectionRange(0, name.value.length, "backward");  // selected, its start in view
    name.scrollLeft = 0;
  }
}
document.getElementById("camera-close").addEventListener("click", () => runForm(2, 0, 0));
