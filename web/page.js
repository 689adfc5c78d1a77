// Qel in the browser: the page around the core. It starts the core with the stored settings,
// shows what the core changed (toolbars, title, menus, boxes, the dialog) and queues the frames;
// the modules beside it replay the drawing, take pointer, touch and keys, and keep the settings.
import { shell, page, canvas, zones } from "./shell.js";
import { cell, emOf, textWidth } from "./text.js";
import { paint, firstPaintTime, lastFrameTiles, repaintAll, setTiles } from "./replay.js";
import { showToolbars, resetToolbars } from "./toolbars.js";
import { openMenu, menuOpen } from "./menus.js";
import { showAbout } from "./boxes.js";
import { dialog, openCameraDialog } from "./dialog.js";
import { placeZones, pressing } from "./pointer.js";
import { announcementCount, queueReadout } from "./readout.js";
import "./keys.js";
import { STORE, BACKUP, storeSettings, queueSave, saveQueued, takeExternalSettings, withText, decimalPoint } from "./storage.js";

// ---- Frames and the interface state the core asks for. ----------------------------------------
// Its own file, outside the bundle: loaded once the first frame is up, so that a card opens at once.
let fieldCard = null;
const loadFieldCard = () => fieldCard || (fieldCard = import("./field_card.js"));
let frameQueued = false;
let uiVersion = 0;

/// Shows what the core changed; stores the settings a moment later unless `store` is false (pointer
/// moves: a drag's values are stored once, at its release).
function update(store = true) {
  const M = shell.M;
  if (M._qel_ui_version() !== uiVersion) {
    uiVersion = M._qel_ui_version();
    shell.ui = JSON.parse(M.UTF8ToString(M._qel_ui()));
    showUi(shell.ui);
  }
  if (M._qel_needs_paint() && !frameQueued) {
    frameQueued = true;
    requestAnimationFrame(() => {
      frameQueued = false;
      paint();
    });
  }
  if (store) {
    queueSave();
    queueReadout();
  }
  takeExternalSettings();
}
shell.update = update;
shell.busy = () => pressing() || menuOpen() || !dialog.hidden;

// Browser zoom (Ctrl +) keeps the window's size in device pixels and makes each CSS pixel larger:
// the layout keeps the size in CSS pixels it had before the zoom, so that its text grows with the
// zoom (and the page scrolls), as a page's text does. Moving to a screen of another density keeps
// the size in CSS pixels instead, and changes nothing.
let zoom = 1;
let lastWindow = null;
// A touch screen gets toolbar buttons a finger's size; the page reports which it is.
const coarse = window.matchMedia("(pointer: coarse)");

function resize() {
  const M = shell.M;
  const dpr = window.devicePixelRatio || 1;
  const device = { dpr, width: window.innerWidth * dpr, height: window.innerHeight * dpr };
  if (lastWindow && dpr !== lastWindow.dpr && Math.abs(device.width - lastWindow.width) <= 2 * dpr &&
      Math.abs(device.height - lastWindow.height) <= 2 * dpr) {
    zoom = Math.max(1, (zoom * dpr) / lastWindow.dpr);
  }
  lastWindow = device;
  // The core lays the client out (larger than the window only where even its smallest text does
  // not fit: the page then scrolls).
  M._qel_resize(Math.round(page.clientWidth * zoom), Math.round(page.clientHeight * zoom), coarse.matches ? 1 : 0);
  const width = M._qel_client(0);
  const height = M._qel_client(1);
  // A whole number of device pixels, shown one to one: nothing is resampled.
  canvas.width = Math.round(width * dpr);
  canvas.height = Math.round(height * dpr);
  canvas.style.width = `${canvas.width / dpr}px`;
  canvas.style.height = `${canvas.height / dpr}px`;
  shell.layoutHeight = M._qel_text_height();
  const edges = JSON.parse(M.UTF8ToString(M._qel_tile_edges()));
  setTiles(edges.xs, edges.ys, width, height);
  paint();  // at once, so that the layout's rows exist before the first press; no frame is queued
  update();
}

function showUi(ui) {
  document.title = shell.dialogTitle || ui.title;
  canvas.style.cursor = zones.style.cursor = ui.cursor;
  showToolbars(ui);
  placeZones(ui.zones);
  if (ui.menu && !menuOpen()) openMenu(ui.menu);
  switch (ui.pending) {
    case "about": showAbout(); break;
    case "camera-dialog": openCameraDialog(); break;
    case "quick-start": window.open("Qel Quick Start.pdf", "_blank"); shell.M._qel_pending_done(); break;
    case "reference-manual": window.open("Qel Reference Manual.pdf", "_blank"); shell.M._qel_pending_done(); break;
    case "field-card": {
      const card = shell.M.UTF8ToString(shell.M._qel_field_card());
      shell.M._qel_pending_done();
      loadFieldCard().then((m) => m.showFieldCard(card));
      break;
    }
    default: break;
  }
}

/// Starts the core with a settings text; returns whether the text was taken as Qel's settings.
function start(text) {
  const M = shell.M;
  const taken = withText(text, (ptr, length) => M._qel_start(ptr, length, decimalPoint()));
  resetToolbars();
  uiVersion = 0;
  resize();
  return taken;
}
shell.start = start;

async function main() {
  // The font and the core load side by side; nothing is measured before both are there.
  // qel.wasm comes through the page's loader (index.html), compressed where it can.
  const instantiateWasm = (imports, done) => {
    window.qelFetch("qel.wasm").then((bytes) => WebAssembly.instantiate(bytes, imports))
      .then(({ instance, module }) => done(instance, module));
    return {};
  };
  const [core] = await Promise.all([createQel({ qelLineHeight: cell, qelTextWidth: textWidth, instantiateWasm }),
                                    document.fonts.load("16px Carlito", "Qel 0.9")]);
  shell.M = core;
  const M = core;
  let stored = "";
  try { stored = localStorage.getItem(STORE) || ""; } catch (err) { stored = ""; }
  if (!start(stored)) {
    // Not Qel's settings: the defaults stand, and the text is kept aside, not lost.
    try { localStorage.setItem(BACKUP, stored); } catch (err) { /* nothing more to keep it in */ }
  }
  storeSettings();
  window.addEventListener("resize", resize);
  coarse.addEventListener("change", resize);
  // What the first frame did not need comes after it, and after the toolbars' pictures: the field
  // card's script, and the service worker, which then fetches the rest of the site (the manuals
  // and the whole font) for offline use.
  afterPictures(() => {
    loadFieldCard();
    registerWorker();
  });
  exposeForTests(M);
}

/// Calls `then` once the toolbars' pictures have come (or failed to), when the browser is idle.
function afterPictures(then) {
  const pictures = [...document.querySelectorAll(".toolbar img")].filter((img) => !img.complete);
  const loaded = pictures.map((img) => new Promise((resolve) => {
    img.addEventListener("load", resolve, { once: true });
    img.addEventListener("error", resolve, { once: true });
  }));
  Promise.all(loaded).then(() => (window.requestIdleCallback || setTimeout)(then, { timeout: 1000 }));
}

function registerWorker() {
  if ("serviceWorker" in navigator && location.protocol !== "file:") {
    // A next build that takes over a page loaded from the last one reloads it, once nothing is
    // under way, so that no file of the two builds is used together.
    const updating = navigator.serviceWorker.controller !== null;
    navigator.serviceWorker.addEventListener("controllerchange", () => {
      if (!updating) return;
      const reload = () => {
        if (shell.busy()) {
          setTimeout(reload, 500);
          return;
        }
        storeSettings();
        location.reload();
      };
      reload();
    });
    navigator.serviceWorker.register("sw.js").catch(() => {});
  }
}

function exposeForTests(M) {
  // For the tests and for curious users: the rows of the near, focus and far lines.
  window.qelTextHeight = () => M._qel_text_height();
  window.qelRows = () => [0, 1, 2].map((k) => M._qel_row(k));
  window.qelColumns = () => {
    const rect = (c) => ({ left: M._qel_scale(c, 0), top: M._qel_scale(c, 1), right: M._qel_scale(c, 2), bottom: M._qel_scale(c, 3) });
    return { lens: rect(0), aperture: rect(1), distance: rect(2), blur: rect(3), details: rect(4) };
  };
  // Measurements for the README's figures: when the first frame was painted (ms after the
  // navigation began), and the mean time of a drag move (the core's move and a full repaint).
  window.qelFirstPaint = firstPaintTime;
  // Nothing waits to be painted or stored.
  window.qelSettled = () => !saveQueued() && !frameQueued;
  // The time of each of `moves` moves of a drag of the focus line up and down: the core's move, the
  // repaint, and the canvas's drawing done (reading a pixel waits for it).
  window.qelDragMoves = (moves) => {
    const c = window.qelColumns().distance;
    const x = (c.left + c.right) >> 1;
    const from = window.qelRows()[1];
    const times = [];
    M._qel_mouse(0, 0, x, from);
    for (let i = 0; i < moves; ++i) {
      const started = performance.now();
      M._qel_mouse(1, 0, x, from - (i % 60) * 2);
      paint();
      canvas.getContext("2d").getImageData(0, 0, 1, 1);
      times.push(performance.now() - started);
    }
    M._qel_mouse(2, 0, x, from);
    update();
    return times;
  };
  // How many tiles the last frame repainted, of how many; and a frame that repaints all of them.
  window.qelLastFrameTiles = lastFrameTiles;
  window.qelRepaintAll = () => {
    repaintAll();
    paint();
  };
  // The blur strips of the last frame as the core painted them: place and pixels (blue, green, red).
  window.qelImages = () => {
    const ops = new Int32Array(M.HEAP32.buffer, M._qel_ops(), M._qel_op_count());
    const images = [];
    for (let i = 0; i < ops.length; i += M._qel_op_length(ops[i]) || ops.length) {
      if (ops[i] !== 8) continue;
      const [x, y, w, h, index, stride] = ops.subarray(i + 1, i + 7);
      const source = M._qel_image(index);
      const rows = [];
      for (let row = 0; row < h; ++row) rows.push(Array.from(M.HEAPU8.subarray(source + row * stride, source + row * stride + 3 * w)));
      images.push({ x, y, w, h, rows });
    }
    return images;
  };
  // Every text the last frame drew: whether it is a scale's label (drawn at a point), its font size
  // in CSS pixels, its cell, and the rectangle that cuts it (its own, within the clip in force;
  // null when none does).
  window.qelTexts = () => {
    const ops = new Int32Array(M.HEAP32.buffer, M._qel_ops(), M._qel_op_count());
    const heap = M.HEAPU16, base = M._qel_texts() >> 1;
    const meet = (a, b) => (!a ? b : { l: Math.max(a.l, b.l), t: Math.max(a.t, b.t), r: Math.min(a.r, b.r), b: Math.min(a.b, b.b) });
    const texts = [];
    let clip = null;
    for (let i = 0; i < ops.length; i += M._qel_op_length(ops[i]) || ops.length) {
      const o = ops.subarray(i, i + M._qel_op_length(ops[i]));
      if (o[0] === 6) clip = { l: o[1], t: o[2], r: o[3], b: o[4] };
      if (o[0] === 7) clip = null;
      if (o[0] !== 4 && o[0] !== 5) continue;
      const inRect = o[0] === 5, h = inRect ? o[7] : shell.layoutHeight;
      const [start, length] = inRect ? [o[8], o[9]] : [o[5], o[6]];
      const text = String.fromCharCode(...heap.subarray(base + start, base + start + length)).replace(/\uF0A5/g, "\u221E");
      const w = textWidth(h, text);
      const x = !inRect || o[5] === 0 ? o[1] : o[5] === 1 ? o[1] + Math.trunc((o[3] - o[1] - w) / 2) : o[3] - w;
      texts.push({ text, label: !inRect, px: emOf(h), l: x, t: o[2], r: x + w, b: o[2] + cell(h),
                   clip: inRect ? meet(clip, { l: o[1], t: o[2], r: o[3], b: o[4] }) : clip });
    }
    return texts;
  };
  window.qelAnnouncements = announcementCount;
  window.qelFocus = () => M._qel_focus_value();  // the value the focus cue is around (0: none)
  window.qelReady = true;
}

main();
