// What the window shows, as text for a screen reader: the title, each column's captions and the
// details panel's lines, kept in a region the scales point to; and, once input rests (a drag has
// ended, a key has not been pressed again for a moment), the lines that changed since the last
// time, said once in a live region. Values that were passed on the way are never read.
import { shell } from "./shell.js";

const SETTLED = 700;  // ms without a change: the values have settled
const region = document.getElementById("readout");
const live = document.getElementById("announce");
let timer = 0;
let said = null;  // the lines as last announced (or as the page started)
let announcements = 0;

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
  const changed = said === null ? [] : lines.filter((text) => !said.includes(text));
  said = lines;
  if (changed.length === 0) return;
  live.textContent = changed.join(". ");
  announcements += 1;
}

/// The values changed: once they have rested a moment, the lines that changed are announced.
export function queueReadout() {
  clearTimeout(timer);
  if (said === null) refresh();  // the page's first values: the region's text, nothing said
  else timer = setTimeout(refresh, SETTLED);
}

/// How many announcements the live region has made (for the tests).
export const announcementCount = () => announcements;
