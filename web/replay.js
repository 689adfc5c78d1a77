// Replays the core's drawing calls on the page's canvas with GDI's rules (end points and
// right/bottom edges excluded), at the screen's pixel density.
import { shell, canvas } from "./shell.js";
import { ascent, fontOf, textWidth } from "./text.js";

const ctx = canvas.getContext("2d", { alpha: false });

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
function setFont(f) {
  if (f !== font) {
    ctx.font = f;
    font = f;
  }
}

function line(x1, y1, x2, y2, c) {
  setFill(c);
  if (y1 === y2) {
    if (x2 > x1) ctx.fillRect(x1, y1, x2 - x1, 1);
    else if (x2 < x1) ctx.fillRect(x2 + 1, y1, x1 - x2, 1);
    return;
  }
  if (x1 === x2) {
    if (y2 > y1) ctx.fillRect(x1, y1, 1, y2 - y1);
    else ctx.fillRect(x1, y2 + 1, 1, y1 - y2);
    return;
  }
  // Bresenham, without the end point.
  const dx = Math.abs(x2 - x1), dy = Math.abs(y2 - y1);
  const sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
  let err = dx - dy, x = x1, y = y1;
  while (x !== x2 || y !== y2) {
    ctx.fillRect(x, y, 1, 1);
    const e2 = 2 * err;
    if (e2 > -dy) { err -= dy; x += sx; }
    if (e2 < dx) { err += dx; y += sy; }
  }
}

const strip = document.createElement("canvas");
const stripCtx = strip.getContext("2d");
let stripData = null;

function image(x, y, w, h, index, stride) {
  if (w <= 0 || h <= 0) return;
  const source = shell.M._qel_image(index);
  if (!source) return;
  if (strip.width !== w || strip.height !== h || !stripData) {
    strip.width = w;
    strip.height = h;
    stripData = stripCtx.createImageData(w, h);
  }
  // Blue, green, red rows into opaque RGBA pixels, one 32-bit word each (little-endian).
  const heap = shell.M.HEAPU8, out = new Uint32Array(stripData.data.buffer);
  for (let row = 0, d = 0; row < h; ++row) {
    for (let s = source + row * stride, end = s + 3 * w; s < end; s += 3, ++d) {
      out[d] = 0xff000000 | (heap[s] << 16) | (heap[s + 1] << 8) | heap[s + 2];
    }
  }
  stripCtx.putImageData(stripData, 0, 0);
  ctx.imageSmoothingEnabled = false;
  ctx.drawImage(strip, x, y);
}

const fonts = new Map();
function text(x, y, s, h, c) {
  let f = fonts.get(h);
  if (!f) {
    f = { font: fontOf(h), ascent: ascent(h) };
    fonts.set(h, f);
  }
  setFont(f.font);
  setFill(c);
  ctx.fillText(s, x, y + f.ascent);
}

/// When the first frame was painted (ms after the navigation began; 0 before it).
let firstPaint = 0;
export const firstPaintTime = () => firstPaint;

export function paint() {
  const M = shell.M;
  const count = M._qel_paint();
  const ops = new Int32Array(M.HEAP32.buffer, M._qel_ops(), count);
  const texts = M._qel_texts() >> 1;
  const str = (start, length) => String.fromCharCode.apply(null, M.HEAPU16.subarray(texts + start, texts + start + length));
  const dpr = window.devicePixelRatio || 1;
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  fill = -1;  // a restore, or a resize of the canvas, may have reset them
  font = "";
  ctx.textBaseline = "alphabetic";
  ctx.fontKerning = "none";  // as Windows sets text
  ctx.textAlign = "left";
  let clipped = false;
  for (let i = 0; i < count;) {
    switch (ops[i]) {
      case 1: {  // fill_rect: outline, then the inside
        const l = ops[i + 1], t = ops[i + 2], r = ops[i + 3], b = ops[i + 4];
        setFill(ops[i + 5]);
        ctx.fillRect(l, t, r - l, b - t);
        if (r - l > 2 && b - t > 2 && ops[i + 6] !== ops[i + 5]) {
          setFill(ops[i + 6]);
          ctx.fillRect(l + 1, t + 1, r - l - 2, b - t - 2);
        }
        i += 7;
        break;
      }
      case 2:
        line(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5]);
        i += 6;
        break;
      case 3: {  // triangle
        ctx.beginPath();
        ctx.moveTo(ops[i + 1] + 0.5, ops[i + 2] + 0.5);
        ctx.lineTo(ops[i + 3] + 0.5, ops[i + 4] + 0.5);
        ctx.lineTo(ops[i + 5] + 0.5, ops[i + 6] + 0.5);
        ctx.closePath();
        setFill(ops[i + 8]);
        ctx.fill();
        ctx.strokeStyle = colour(ops[i + 7]);
        ctx.lineWidth = 1;
        ctx.stroke();
        i += 9;
        break;
      }
      case 4:  // text at a point; the symbol font's infinity is the text font's
        text(ops[i + 1], ops[i + 2], str(ops[i + 5], ops[i + 6]).replace(/\uF0A5/g, "\u221E"), shell.layoutHeight, ops[i + 4]);
        i += 7;
        break;
      case 5: {  // text at the top of a rectangle, clipped to it
        const [l, t, r, b, align, c, h] = [ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6], ops[i + 7]];
        const s = str(ops[i + 8], ops[i + 9]);
        const w = textWidth(h, s);
        const x = align === 1 ? l + Math.trunc((r - l - w) / 2) : align === 2 ? r - w : l;
        ctx.save();
        ctx.beginPath();
        ctx.rect(l, t, r - l, b - t);
        ctx.clip();
        text(x, t, s, h, c);
        ctx.restore();
        fill = -1;
        font = "";
        i += 10;
        break;
      }
      case 6:
        if (clipped) ctx.restore();
        fill = -1;
        font = "";
        ctx.save();
        ctx.beginPath();
        ctx.rect(ops[i + 1], ops[i + 2], ops[i + 3] - ops[i + 1], ops[i + 4] - ops[i + 2]);
        ctx.clip();
        clipped = true;
        i += 5;
        break;
      case 7:
        if (clipped) ctx.restore();
        fill = -1;
        font = "";
        clipped = false;
        i += 1;
        break;
      case 8:
        image(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6]);
        i += 7;
        break;
      default:
        i = count;
    }
  }
  if (clipped) ctx.restore();
  if (!firstPaint) firstPaint = performance.now();
}
