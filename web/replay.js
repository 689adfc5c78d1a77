// Replays the core's drawing calls on the page's canvas with GDI's rules (end points and
// right/bottom edges excluded), in device pixels: every edge lands on a device pixel, and lines are
// as many device pixels wide as one CSS pixel rounds to, so they stay sharp at 125 or 150 %.
// A frame repaints only the tiles (the columns, the strip and the gaps between them, their
// captions apart) whose drawing calls differ from the last frame's.
import { shell, canvas } from "./shell.js";
import { ascent, cell, emOf, textWidth } from "./text.js";

const ctx = canvas.getContext("2d", { alpha: false });
let LENGTHS = null;  // numbers per call by its code, from the core

let dpr = 1;
let lineWidth = 1;
const X = (v) => Math.round(v * dpr);

const colours = new Map();
function colour(c) {
  let s = colours.get(c);
  if (!s) {
    s = `#${(c >>> 0).toString(16).padStart(6, "0")}`;
    colours.set(c, s);
  }
  return s;
}

// Setting a style or a font is costly: each is set only when it changes.
let fill = -1;
let font = "";
function setFill(c) {
  if (c !== fill) {
    ctx.fillStyle = colour(c);
    fill = c;
  }
}
function forgetStyles() {  // a restore may have reset them
  fill = -1;
  font = "";
}

/// A rectangle given in CSS pixels, filled on the device pixels it covers.
const rect = (l, t, r, b) => ctx.fillRect(X(l), X(t), X(r) - X(l), X(b) - X(t));

function line(x1, y1, x2, y2, c) {
  setFill(c);
  if (y1 === y2) {
    if (x2 !== x1) ctx.fillRect(X(Math.min(x1, x2 + 1)), X(y1), X(Math.max(x2, x1 + 1)) - X(Math.min(x1, x2 + 1)), lineWidth);
    return;
  }
  if (x1 === x2) {
    ctx.fillRect(X(x1), X(Math.min(y1, y2 + 1)), lineWidth, X(Math.max(y2, y1 + 1)) - X(Math.min(y1, y2 + 1)));
    return;
  }
  // Bresenham, without the end point.
  const dx = Math.abs(x2 - x1), dy = Math.abs(y2 - y1);
  const sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
  let err = dx - dy, x = x1, y = y1;
  while (x !== x2 || y !== y2) {
    rect(x, y, x + 1, y + 1);
    const e2 = 2 * err;
    if (e2 > -dy) { err -= dy; x += sx; }
    if (e2 < dx) { err += dx; y += sy; }
  }
}

const strip = document.createElement("canvas");
const stripCtx = strip.getContext("2d");
let stripData = null;
let stripWords = null;  // stripData's pixels, one 32-bit word each

function image(x, y, w, h, index, stride) {
  if (w <= 0 || h <= 0) return;
  const source = shell.M._qel_image(index);
  if (!source) return;
  if (strip.width !== w || strip.height !== h || !stripData) {
    strip.width = w;
    strip.height = h;
    stripData = stripCtx.createImageData(w, h);
    stripWords = new Uint32Array(stripData.data.buffer);
  }
  // Blue, green, red rows into opaque RGBA pixels, one 32-bit word each (little-endian).
  const heap = shell.M.HEAPU8, out = stripWords;
  for (let row = 0, d = 0; row < h; ++row) {
    for (let s = source + row * stride, end = s + 3 * w; s < end; s += 3, ++d) {
      out[d] = 0xff000000 | (heap[s] << 16) | (heap[s + 1] << 8) | heap[s + 2];
    }
  }
  stripCtx.putImageData(stripData, 0, 0);
  ctx.imageSmoothingEnabled = false;
  ctx.drawImage(strip, X(x), X(y), X(x + w) - X(x), X(y + h) - X(y));
}

const fonts = new Map();  // text height -> font and ascent in device pixels
function text(x, y, s, h, c) {
  let f = fonts.get(h);
  if (!f) {
    f = { font: `${emOf(h) * dpr}px Carlito`, ascent: Math.round(ascent(h) * dpr) };
    fonts.set(h, f);
  }
  if (f.font !== font) {
    ctx.font = f.font;
    font = f.font;
  }
  setFill(c);
  ctx.fillText(s, X(x), X(y) + f.ascent);
}

// ---- Tiles: which parts of the canvas a frame changes. ------------------------------------------
let tiles = [];       // {l, t, r, b} in CSS pixels, with the hash of their last frame's calls
let boxes = new Int32Array(0);  // per call: the CSS pixel box it may draw in (l, t, r, b)

/// The tiles of a new layout: the bands between `xs` across, those between `ys` down. The next
/// frame repaints them all.
export function setTiles(xs, ys, width, height) {
  tiles = [];
  const across = [...new Set([0, ...xs, width])].filter((x) => x >= 0 && x <= width).sort((a, b) => a - b);
  const down = [...new Set([0, ...ys, height])].filter((y) => y >= 0 && y <= height).sort((a, b) => a - b);
  for (let j = 0; j + 1 < down.length; ++j) {
    for (let i = 0; i + 1 < across.length; ++i) {
      tiles.push({ l: across[i], t: down[j], r: across[i + 1], b: down[j + 1], hash: NaN, next: 0, image: false });
    }
  }
  fonts.clear();
}

const fnv = (hash, v) => Math.imul(hash ^ v, 16777619);

/// The box each call may draw in, and each tile's hash of the calls that reach it.
function hashTiles(ops, count, texts, heap) {
  if (boxes.length < count + 4) boxes = new Int32Array(2 * count + 4);
  for (const tile of tiles) {
    tile.next = 2166136261;
    tile.image = false;
  }
  for (let i = 0; i < count; i += LENGTHS[ops[i]] || count) {
    let l = -1e9, t = -1e9, r = 1e9, b = 1e9, textStart = -1, textLength = 0;  // clip calls reach every tile
    switch (ops[i]) {
      case 1:
        l = ops[i + 1]; t = ops[i + 2]; r = ops[i + 3]; b = ops[i + 4];
        break;
      case 2:
        l = Math.min(ops[i + 1], ops[i + 3]); r = Math.max(ops[i + 1], ops[i + 3]) + 1;
        t = Math.min(ops[i + 2], ops[i + 4]); b = Math.max(ops[i + 2], ops[i + 4]) + 1;
        break;
      case 3:
        l = Math.min(ops[i + 1], ops[i + 3], ops[i + 5]) - 1; r = Math.max(ops[i + 1], ops[i + 3], ops[i + 5]) + 2;
        t = Math.min(ops[i + 2], ops[i + 4], ops[i + 6]) - 1; b = Math.max(ops[i + 2], ops[i + 4], ops[i + 6]) + 2;
        break;
      case 4:
        textStart = ops[i + 5];
        textLength = ops[i + 6];
        // No character is wider than the cell is high: a box found without measuring the text.
        l = ops[i + 1] - 2; t = ops[i + 2] - 2;
        r = ops[i + 1] + textLength * cell(shell.layoutHeight) + 2;
        b = ops[i + 2] + cell(shell.layoutHeight) + 2;
        break;
      case 5:
        l = ops[i + 1]; t = ops[i + 2]; r = ops[i + 3]; b = ops[i + 4];
        textStart = ops[i + 8];
        textLength = ops[i + 9];
        break;
      case 8:
        l = ops[i + 1]; t = ops[i + 2]; r = l + ops[i + 3]; b = t + ops[i + 4];
        break;
      default:
        break;
    }
    boxes[i] = l;  // a clip call's box is not used: its numbers may overlap the next call's box
    boxes[i + 1] = t;
    boxes[i + 2] = r;
    boxes[i + 3] = b;
    const n = LENGTHS[ops[i]];
    // A text call's start in the text buffer moves with the texts before it: its characters count.
    const skip = ops[i] === 4 ? 5 : ops[i] === 5 ? 8 : -1;
    for (let j = 0; j < tiles.length; ++j) {
      const tile = tiles[j];
      if (l >= tile.r || r <= tile.l || t >= tile.b || b <= tile.t) continue;
      let hash = tile.next;
      for (let k = 0; k < n; ++k) if (k !== skip) hash = fnv(hash, ops[i + k]);
      for (let k = 0; k < textLength; ++k) hash = fnv(hash, heap[texts + textStart + k]);
      tile.next = hash;
      if (ops[i] === 8) tile.image = true;  // the strip's pixels are not compared: it is drawn again
    }
  }
}

function replay(ops, count, texts, heap, tile) {
  const str = (start, length) => String.fromCharCode.apply(null, heap.subarray(texts + start, texts + start + length));
  let clipped = false;
  for (let i = 0; i < count; i += LENGTHS[ops[i]] || count) {
    const code = ops[i];
    if (code !== 6 && code !== 7 &&
        (boxes[i] >= tile.r || boxes[i + 2] <= tile.l || boxes[i + 1] >= tile.b || boxes[i + 3] <= tile.t)) continue;
    switch (code) {
      case 1: {  // fill_rect: outline, then the inside
        const l = ops[i + 1], t = ops[i + 2], r = ops[i + 3], b = ops[i + 4];
        setFill(ops[i + 5]);
        rect(l, t, r, b);
        if (r - l > 2 && b - t > 2 && ops[i + 6] !== ops[i + 5]) {
          setFill(ops[i + 6]);
          rect(l + 1, t + 1, r - 1, b - 1);
        }
        break;
      }
      case 2:
        line(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5]);
        break;
      case 3: {  // triangle
        const half = lineWidth / 2;
        ctx.beginPath();
        ctx.moveTo(X(ops[i + 1]) + half, X(ops[i + 2]) + half);
        ctx.lineTo(X(ops[i + 3]) + half, X(ops[i + 4]) + half);
        ctx.lineTo(X(ops[i + 5]) + half, X(ops[i + 6]) + half);
        ctx.closePath();
        setFill(ops[i + 8]);
        ctx.fill();
        ctx.strokeStyle = colour(ops[i + 7]);
        ctx.lineWidth = lineWidth;
        ctx.stroke();
        break;
      }
      case 4:  // text at a point; the symbol font's infinity is the text font's
        text(ops[i + 1], ops[i + 2], str(ops[i + 5], ops[i + 6]).replace(/\uF0A5/g, "\u221E"), shell.layoutHeight, ops[i + 4]);
        break;
      case 5: {  // text at the top of a rectangle, clipped to it
        const l = ops[i + 1], t = ops[i + 2], r = ops[i + 3], b = ops[i + 4], align = ops[i + 5], h = ops[i + 7];
        const s = str(ops[i + 8], ops[i + 9]);
        const w = textWidth(h, s);
        const x = align === 1 ? l + Math.trunc((r - l - w) / 2) : align === 2 ? r - w : l;
        ctx.save();
        ctx.beginPath();
        ctx.rect(X(l), X(t), X(r) - X(l), X(b) - X(t));
        ctx.clip();
        text(x, t, s, h, ops[i + 6]);
        ctx.restore();
        forgetStyles();
        break;
      }
      case 6:
        if (clipped) ctx.restore();
        forgetStyles();
        ctx.save();
        ctx.beginPath();
        ctx.rect(X(ops[i + 1]), X(ops[i + 2]), X(ops[i + 3]) - X(ops[i + 1]), X(ops[i + 4]) - X(ops[i + 2]));
        ctx.clip();
        clipped = true;
        break;
      case 7:
        if (clipped) ctx.restore();
        forgetStyles();
        clipped = false;
        break;
      case 8:
        image(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6]);
        break;
      default:
        break;
    }
  }
  if (clipped) ctx.restore();
}

/// When the first frame was painted (ms after the navigation began; 0 before it).
let firstPaint = 0;
export const firstPaintTime = () => firstPaint;
let paintedTiles = 0;
/// How many tiles the last frame repainted, of how many.
export const lastFrameTiles = () => [paintedTiles, tiles.length];

/// The next frame repaints every tile.
export function repaintAll() {
  for (const tile of tiles) tile.hash = NaN;
}

export function paint() {
  const M = shell.M;
  if (!LENGTHS) LENGTHS = Array.from({ length: 16 }, (_, code) => M._qel_op_length(code));
  const count = M._qel_paint();
  const ops = new Int32Array(M.HEAP32.buffer, M._qel_ops(), count);
  const texts = M._qel_texts() >> 1;
  const heap = M.HEAPU16;
  const density = window.devicePixelRatio || 1;
  if (density !== dpr) {
    dpr = density;
    lineWidth = Math.max(1, Math.round(dpr));
    fonts.clear();
    for (const tile of tiles) tile.hash = NaN;
  }
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.textBaseline = "alphabetic";
  ctx.textAlign = "left";
  ctx.fontKerning = "none";  // as Windows sets text
  forgetStyles();
  hashTiles(ops, count, texts, heap);
  paintedTiles = 0;
  for (const tile of tiles) {
    if (tile.next === tile.hash && !tile.image) continue;
    tile.hash = tile.next;
    paintedTiles += 1;
    ctx.save();
    ctx.beginPath();
    ctx.rect(X(tile.l), X(tile.t), X(tile.r) - X(tile.l), X(tile.b) - X(tile.t));
    ctx.clip();
    replay(ops, count, texts, heap, tile);
    ctx.restore();
    forgetStyles();
  }
  if (!firstPaint) firstPaint = performance.now();
}
