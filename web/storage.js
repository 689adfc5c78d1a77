// The settings: localStorage holds exactly what Qel.txt would hold; files opened and saved.
import { shell } from "./shell.js";
import { showErrors } from "./boxes.js";

export const STORE = "qel-settings";
export const BACKUP = "qel-settings-backup";
let saveTimer = 0;
export function storeSettings() {
  saveTimer = 0;
  const text = shell.M.UTF8ToString(shell.M._qel_settings());
  let old = null;
  try { old = localStorage.getItem(STORE); } catch (err) { return; }
  if (old === text) return;
  try {
    if (old !== null) localStorage.setItem(BACKUP, old);
    localStorage.setItem(STORE, text);
  } catch (err) { /* storage full or refused: the settings stay in this page */ }
}
export function queueSave() {
  if (!saveTimer) saveTimer = setTimeout(storeSettings, 250);
}
window.addEventListener("pagehide", storeSettings);
document.addEventListener("visibilitychange", () => { if (document.hidden) storeSettings(); });

export function withText(text, call) {
  const bytes = new TextEncoder().encode(text);
  const M = shell.M;
  const ptr = M._malloc(bytes.length + 1);
  M.HEAPU8.set(bytes, ptr);
  const result = call(ptr, bytes.length);
  M._free(ptr);
  return result;
}

export function decimalPoint() {
  const s = (1.5).toLocaleString(navigator.language);
  return s.length === 3 ? s.charCodeAt(1) : 46;
}

export function download() {
  const text = shell.M.UTF8ToString(shell.M._qel_settings());
  const a = document.createElement("a");
  a.href = URL.createObjectURL(new Blob([text], { type: "text/plain" }));
  a.download = "Qel.txt";
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

document.getElementById("open-file").addEventListener("change", async (e) => {
  const file = e.target.files[0];
  e.target.value = "";
  if (!file) return;
  const text = await file.text();
  const current = shell.M.UTF8ToString(shell.M._qel_settings());
  if (!shell.start(text)) {
    // Not Qel's settings: nothing of the current ones is given up for it.
    shell.start(current);
    showErrors([`${file.name} is not a Qel settings file`], null);
  }
  storeSettings();
});

/// Nothing waits to be stored.
export const saveQueued = () => saveTimer !== 0;
