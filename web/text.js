// Text: Carlito has Calibri's metrics; a text height is the font's cell height.
const measurer = document.createElement("canvas").getContext("2d");
let cellRatio = 1.2207;    // cell height over em size
let ascentRatio = 0.9521;  // ascent over em size
const widths = new Map();

export function measureFont() {
  measurer.font = "100px Carlito";
  const m = measurer.measureText("Hg");
  if (m.fontBoundingBoxAscent > 0) {
    cellRatio = (m.fontBoundingBoxAscent + m.fontBoundingBoxDescent) / 100;
    ascentRatio = m.fontBoundingBoxAscent / 100;
  }
}
export const cell = (h) => (h > 0 ? h : 16);
export const fontOf = (h) => `${cell(h) / cellRatio}px Carlito`;
export const ascent = (h) => Math.round((cell(h) / cellRatio) * ascentRatio);

export function textWidth(h, text) {
  const key = `${h}|${text}`;
  let w = widths.get(key);
  if (w === undefined) {
    measurer.font = fontOf(h);
    w = Math.round(measurer.measureText(text).width);
    if (widths.size > 20000) widths.clear();
    widths.set(key, w);
  }
  return w;
}
