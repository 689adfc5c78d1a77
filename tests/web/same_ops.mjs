// The same core in the browser draws exactly what it draws natively: for settings files in every
// mode, units and window sizes (a phone's upright and on its side among them), qel.wasm's drawing
// calls (in Node.js, measured with the simple font qel-paint-ops uses) equal the native build's,
// number for number, text for text, pixel for pixel.
//
//     node same_ops.mjs --site build/web --paint-ops build/native/tests/qel-paint-ops
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";

const args = process.argv.slice(2);
const option = (name) => args[args.indexOf(name) + 1];
const site = path.resolve(option("--site"));
const paintOps = path.resolve(option("--paint-ops"));
const here = path.dirname(new URL(import.meta.url).pathname);
const defaults = fs.readFileSync(path.join(here, "..", "data", "default_settings.txt"), "utf-8");

const cell = (h) => (h > 0 ? h : 16);
const createQel = createRequire(import.meta.url)(path.join(site, "qel.js"));
const M = await createQel({
  wasmBinary: fs.readFileSync(path.join(site, "qel.wasm")),
  qelLineHeight: cell,
  qelTextWidth: (h, text) => text.length * Math.floor(cell(h) / 2),
});

function pixelHash(pointer, width, height, stride) {
  let hash = 1469598103934665603n;
  const heap = M.HEAPU8;
  for (let row = 0; row < height; ++row) {
    for (let i = 0; i < width * 3; ++i) {
      hash ^= BigInt(heap[pointer + row * stride + i]);
      hash = (hash * 1099511628211n) & 0xffffffffffffffffn;
    }
  }
  return hash.toString(16).padStart(16, "0");
}

function wasmFrame(text, width, height, touch) {
  const bytes = new TextEncoder().encode(text);
  const pointer = M._malloc(bytes.length + 1);
  M.HEAPU8.set(bytes, pointer);
  M._qel_start(pointer, bytes.length, 46);
  M._free(pointer);
  M._qel_resize(width, height, touch);
  const count = M._qel_paint();
  const ops = Array.from(new Int32Array(M.HEAP32.buffer, M._qel_ops(), count));
  let textLength = 0;
  const images = [];
  for (let i = 0; i < count; i += M._qel_op_length(ops[i]) || count) {
    if (ops[i] === 4) textLength = Math.max(textLength, ops[i + 5] + ops[i + 6]);
    if (ops[i] === 5) textLength = Math.max(textLength, ops[i + 8] + ops[i + 9]);
    if (ops[i] === 8) images.push(pixelHash(M._qel_image(ops[i + 5]), ops[i + 3], ops[i + 4], ops[i + 6]));
  }
  const texts = Array.from(new Uint16Array(M.HEAPU16.buffer, M._qel_texts(), textLength));
  return `height ${M._qel_text_height()}\nops ${ops.join(" ")}\ntexts ${texts.join(" ")}\nimages ${images.join(" ")}\n`
    .replace(/ \n/g, "\n");
}

const settings = (values) => defaults.split("\n").map((line) => {
  const key = line.split(" ")[0];
  return key in values ? `${key} ${values[key]}` : line;
}).join("\n");

const cases = [];
for (const mode of [0, 1, 2, 3, 4]) {
  for (const [units, macroUnits] of [[3, 0], [5, 1], [0, 2]]) {
    cases.push({ mode, units, macro_units: macroUnits, ni: 7 });
  }
}
cases.push({ mode: 2, ni: 100, far_limit: "-1.00" }, { mode: 3, blur_distance: "-1.00", focus_at: "3000.00" },
           { mode: 0, focal_length: "600.00", f_stop: "4.00000", focus_at: "200000.00", units: 0 },
           { mode: 1, snap: 0, near_limit: "1234.56", far_limit: "98765.43" });

const folder = fs.mkdtempSync(path.join(os.tmpdir(), "qel-ops-"));
let failed = 0;
let frames = 0;
for (const [k, values] of cases.entries()) {
  const text = settings(values);
  const file = path.join(folder, `case-${k}.txt`);
  fs.writeFileSync(file, text);
  for (const [width, height, touch] of [[800, 600, 0], [1920, 1080, 0], [390, 844, 1], [844, 390, 1]]) {
    const native = execFileSync(paintOps, [file, String(width), String(height), String(touch)], { encoding: "utf-8" });
    const wasm = wasmFrame(text, width, height, touch);
    frames += 1;
    if (native !== wasm) {
      failed += 1;
      const a = native.split("\n"), b = wasm.split("\n");
      const line = a.findIndex((l, i) => l !== b[i]);
      console.log(`same_ops: case ${k} ${JSON.stringify(values)} at ${width} x ${height} differs in "${(a[line] || "").split(" ")[0]}"`);
    }
  }
}
fs.rmSync(folder, { recursive: true });
console.log(`same_ops: ${frames - failed} of ${frames} frames drawn identically by qel.wasm and the native build`);
process.exit(failed === 0 ? 0 : 1);
