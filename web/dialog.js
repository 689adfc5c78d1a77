// The camera dialog: a form over the core's dialog logic, laid out from the dialog's template.
import { shell } from "./shell.js";
import { showErrors } from "./boxes.js";

export const dialog = document.getElementById("camera-dialog");
const form = document.getElementById("camera-form");
const buttonBar = document.getElementById("camera-buttons");
let formControls = null;  // id -> element
let buttons = [];         // the push buttons, in the template's order
let templateSize = null;  // the template's size in CSS pixels
const DLU_X = 1.75, DLU_Y = 1.75;
const HALF = 200;  // dialog units: controls from here rightwards are the template's second half
const ROW = 4;     // controls within this many dialog units of a row's top are on that row

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
        node.style.setProperty("--column", String(half * 3 + column + 1));
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

/// The template's absolute layout where it fits the window, else the grid.
function fitForm() {
  if (!templateSize) return;
  const grid = window.innerWidth < templateSize.width + 24 || window.innerHeight < templateSize.height + 48;
  dialog.classList.toggle("grid", grid);
  // In the form in the template's order (its Tab order); in the bar as they stand: New, Delete, Prev, Next, Apply.
  const order = grid ? [...buttons].sort((a, b) => a.y - b.y || a.x - b.x) : buttons;
  for (const b of order) (grid ? buttonBar : form).appendChild(b.node);
}
window.addEventListener("resize", fitForm);

async function buildForm() {
  const layout = await (await fetch("camera-dialog.json")).json();
  formControls = new Map();
  templateSize = { width: layout.width * DLU_X, height: layout.height * DLU_Y };
  form.style.setProperty("--width", `${templateSize.width}px`);
  form.style.setProperty("--height", `${templateSize.height}px`);
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
    node.style.setProperty("--left", `${c.x * DLU_X}px`);
    node.style.setProperty("--top", `${c.y * DLU_Y}px`);
    node.style.setProperty("--width", `${c.width * DLU_X}px`);
    node.style.setProperty("--height", `${(c.kind === "COMBOBOX" ? 14 : c.height) * DLU_Y}px`);
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

function runForm(action, control, notification) {
  if (action !== 0) pushForm();
  const state = JSON.parse(shell.M.UTF8ToString(shell.M._qel_form(action, control, notification)));
  showForm(state);
  const finish = () => {
    if (state.ended) {
      dialog.hidden = true;
      shell.dialogTitle = "";
    }
    // A refused field keeps what was typed and is selected, for the user to put right.
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

const formCommand = (control, notification) => runForm(1, control, notification);

let dialogOpening = false;
export async function openCameraDialog() {
  if (!dialog.hidden || dialogOpening) return;
  dialogOpening = true;
  if (!formControls) await buildForm();
  dialogOpening = false;
  fitForm();
  dialog.hidden = false;
  runForm(0, 0, 0);
  const name = formControls.get(nameField);
  if (name) name.focus();
}
document.getElementById("camera-close").addEventListener("click", () => runForm(2, 0, 0));
