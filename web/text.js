// Text as Windows sets it: a text height is the font's cell height, whose em size Windows takes
// from the font's own Windows ascent and descent (not the browser's line box), rounded to whole
// pixels; a text's width is the sum of its characters' advances, each rounded to whole pixels.
import metrics from "./font-metrics.js";

const measurer = document.createElement("canvas").getContext("2d");
measurer.fontKerning = "none";
const cellUnits = metrics.winAscent + metrics.winDescent;
const advances = new Map();  // "em|character" -> whole pixels
const widths = new Map();

export const cell = (h) => (h > 0 ? h : 16);
/// The em size in pixels of the font whose cell is `h` high.
export const emOf = (h) => Math.round((cell(h) * metrics.unitsPerEm) / cellUnits);
export const fontOf = (h) => `${emOf(h)}px Carlito`;
export const ascent = (h) => Math.round((metrics.winAscent * emOf(h)) / metrics.unitsPerEm);

function advance(em, character) {
  const key = `${em}|${character}`;
  let a = advances.get(key);
  if (a === undefined) {
    measurer.font = `${em}px Carlito`;
    a = Math.round(measurer.measureText(character).width);
    advances.set(key, a);
  }
  return a;
}

export function textWidth(h, text) {
  const key = `${h}|${text}`;
  let w = widths.get(key);
  if (w === undefined) {
    const em = emOf(h);
    w = 0;
    for (const character of text) w += advance(em, character);
    if (widths.size > 20000) widths.clear();
    widths.set(key, w);
  }
  return w;
}
