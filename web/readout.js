// What the window shows, as text a screen reader reads: the title, each column's captions and the
// details panel's lines, in a live region. A line that changes is announced; the rest stays.
import { shell } from "./shell.js";

const region = document.getElementById("readout");
let timer = 0;

function refresh() {
  timer = 0;
  const r = JSON.parse(shell.M.UTF8ToString(shell.M._qel_readout()));
  const lines = [r.title, ...r.columns.filter((c) => c), ...r.details];
  while (region.children.length > lines.length) region.lastChild.remove();
  lines.forEach((text, i) => {
    let p = region.children[i];
    if (!p) p = region.appendChild(document.createElement("p"));
    if (p.textContent !== text) p.textContent = text;
  });
}

/// The values changed: the region follows a moment later (a drag's moves are not read one by one).
export function queueReadout() {
  if (!timer) timer = setTimeout(refresh, 300);
}
