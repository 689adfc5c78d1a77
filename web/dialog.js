// The camera dialog: a form over the core's dialog logic, laid out from the dialog's template.
import { shell } from "./shell.js";
import { showErrors } from "./boxes.js";

export const dialog = document.getElementById("camera-dialog");
const form = document.getElementById("camera-form");
let formControls = null;  // id -> element
const DLU_X = 1.75, DLU_Y = 1.75;

async function buildForm() {
  const layout = await (await fetch("camera-dialog.json")).json();
  formControls = new Map();
  form.style.width = `${layout.width * DLU_X}px`;
  form.style.height = `${layout.height * DLU_Y}px`;
  for (const c of layout.controls) {
    let node;
    if (c.kind === "EDITTEXT") {
      node = document.createElement("input");
      node.type = "text";
      node.spellcheck = false;
    } else if (c.kind === "COMBOBOX") {
      node = document.createElement("select");
      node.addEventListener("change", () => formCommand(c.id, 1));
    } else if (c.kind === "PUSHBUTTON") {
      node = document.createElement("button");
      node.type = "button";
      node.textContent = c.text;
      node.addEventListener("click", () => formCommand(c.id, 0));
    } else {
      node = document.createElement("div");
      node.className = "label";
      node.textContent = c.text;
    }
    node.classList.add("control");
    node.style.left = `${c.x * DLU_X}px`;
    node.style.top = `${c.y * DLU_Y}px`;
    node.style.width = `${c.width * DLU_X}px`;
    node.style.height = `${(c.kind === "COMBOBOX" ? 14 : c.height) * DLU_Y}px`;
    if (c.id > 0) {
      node.id = `control-${c.id}`;
      formControls.set(c.id, node);
    }
    form.appendChild(node);
  }
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

function showForm(state) {
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
  dialog.hidden = false;
  runForm(0, 0, 0);
  const name = formControls.get(4001);
  if (name) name.focus();
}
document.getElementById("camera-close").addEventListener("click", () => runForm(2, 0, 0));
