// The settings: localStorage holds exactly what Qel.txt would hold; files opened and saved.
import { shell } from "./shell.js";
import { showErrors } from "./boxes.js";

export const STORE = "qel-settings";
export const BACKUP = "qel-settings-backup";
let saveTimer = 0;

const attempt = (action) => {
  try {
    action();
    return true;
  } catch (err) {
    return false;
  }
};

/// Stores the settings now, keeping the text before them as the backup. When the storage is full
/// the backup gives way, never the settings: a backup that does not fit is dropped (it would hold
/// an older text than the one replaced).
export function storeSettings() {
  clearTimeout(saveTimer);
  saveTimer = 0;
  const text = shell.M.UTF8ToString(shell.M._qel_settings());
  let old = null;
  if (!attempt(() => { old = localStorage.getItem(STORE); })) return;  // no storage at all
  if (old === text) return;
  if (old !== null && !attempt(() => localStorage.setItem(BACKUP, old))) attempt(() => localStorage.removeItem(BACKUP));
  if (!attempt(() => localStorage.setItem(STORE, text))) {
    attempt(() => localStorage.removeItem(BACKUP));
    attempt(() => localStorage.setItem(STORE, text));  // else the settings stay in this page only
  }
}

// Another tab, or the installed app, stored its settings: this page takes them, so that its next
// change builds on them (the last action wins) instead of silently writing over them. While a
// press, a menu or the dialog is under way the text waits for its end (update() calls again);
// what that drag or dialog changed is then kept on top of the other tab's change.
let external = null;
let base = null;      // the settings this page had stored when the other tab's change came
let oursLast = false;  // this page was in the middle of something then: its change comes last
window.addEventListener("storage", (e) => {
  if (e.key !== STORE || e.newValue === null || e.storageArea !== localStorage) return;
  if (external === null) {
    base = e.oldValue;
    oursLast = shell.busy();
  }
  external = e.newValue;
  takeExternalSettings();
});

/// The other tab's settings with what this page changed since `before` kept: a setting by its key,
/// the cameras (their count and lines) as one; what both changed is the later change's.
export function mergeSettings(before, ours, theirs, oursLater) {
  const key = (line) => (/^(ncameras|camera) /.test(line) ? "cameras" : line.split(" ")[0]);
  const groups = (text) => {
    const map = new Map();
    for (const line of text.split("\n")) map.set(key(line), [...(map.get(key(line)) || []), line].join("\n"));
    return map;
  };
  const old = groups(before), mine = groups(ours), out = [];
  for (const [k, lines] of groups(theirs)) {
    const changedHere = mine.has(k) && mine.get(k) !== old.get(k);
    out.push(changedHere && (oursLater || lines === old.get(k)) ? mine.get(k) : lines);
  }
  return out.join("\n");
}

export function takeExternalSettings() {
  if (external === null || shell.busy()) return;
  const theirs = external;
  const ours = shell.M.UTF8ToString(shell.M._qel_settings());
  const changed = base !== null && ours !== base;
  external = null;
  clearTimeout(saveTimer);  // a change of this page older than that text gives way to it
  saveTimer = 0;
  const text = changed ? mergeSettings(base, ours, theirs, oursLast) : theirs;
  if (text !== ours) shell.start(text);
  if (changed) storeSettings();
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
