// Qel's page in Debian's Chromium, driven with real mouse, touch and key input: the first start,
// every mode, drags to the scales' ends, a zoom drag, a finger on a phone, a camera added through
// the dialog, a reload, a settings file opened and saved back byte for byte, and a corrupt stored
// text.
//
//     node run.mjs --site build/web --qel-calc build/native/tools/qel-calc [--only NAME ...] [--shots DIR]
import { chromium } from "playwright-core";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import { createRequire } from "node:module";
import path from "node:path";

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
const site = path.resolve(option("--site", "build/web"));
const qelCalc = path.resolve(option("--qel-calc", "build/native/tools/qel-calc"));
const shots = option("--shots", fs.mkdtempSync(path.join(os.tmpdir(), "qel-web-")));
const carlito = option("--font", "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf");
const only = args.includes("--only") ? args.slice(args.indexOf("--only") + 1).filter((a) => !a.startsWith("--")) : null;
// The version this build gives the program: project() in the top CMakeLists.txt.
const VERSION = fs.readFileSync(new URL("../../CMakeLists.txt", import.meta.url), "utf8")
  .match(/project\(Qel VERSION ([0-9.]+)/)[1];
const TITLE = `Qel ${VERSION} - Settings: `;

// ---- A static server for the site. -------------------------------------------------------------
const TYPES = {
  ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".png": "image/png", ".json": "application/json", ".ttf": "font/ttf",
  ".pdf": "application/pdf", ".webmanifest": "application/manifest+json",
};
// Like many static servers, it sends Last-Modified without Cache-Control, which lets the browser's
// HTTP cache keep a file for a while; a test may put a next build's files in `overrides`.
const overrides = new Map();
const lastModified = new Date(Date.now() - 365 * 86400e3).toUTCString();
const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  if (name.endsWith("/")) name += "index.html";
  if (overrides.has(name)) {
    response.writeHead(200, { "content-type": TYPES[path.extname(name)], "last-modified": new Date().toUTCString() });
    response.end(overrides.get(name));
    return;
  }
  const file = path.join(site, path.normalize(name));
  if (!file.startsWith(site)) {
    response.writeHead(403);
    response.end();
    return;
  }
  fs.readFile(file, (error, data) => {
    if (error) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "content-type": TYPES[path.extname(file)] || "application/octet-stream",
                              "last-modified": lastModified });
    response.end(data);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({
  executablePath: process.env.QEL_CHROMIUM || "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage"],
});

class Failure extends Error {}
const check = (condition, message) => {
  if (!condition) throw new Failure(message);
};

// ---- The page and what a user sees of it. -------------------------------------------------------
async function open(context, name) {
  const page = await context.newPage();
  page.errors = [];
  page.on("pageerror", (e) => page.errors.push(e.message));
  page.name = name;
  await page.goto(`${origin}/`);
  await page.waitForFunction(() => window.qelReady === true, null, { timeout: 20000 });
  await settle(page);
  return page;
}

async function settle(page, ms = 350) {
  await page.waitForTimeout(ms);  // the settings are stored 250 ms after a change
}

/// The stored settings text, once the page has painted and stored everything it was asked to.
async function stored(page) {
  await page.waitForFunction(() => window.qelSettled(), null, { timeout: 10000 });
  return page.evaluate(() => localStorage.getItem("qel-settings"));
}

function setting(text, key) {
  const line = text.split("\n").find((l) => l.split(" ")[0] === key);
  check(line !== undefined, `no ${key} line in the stored settings`);
  return line.slice(key.length + 1);
}

// A number setting's value: its exact IEEE bits when "x" and 16 hex digits follow the number (the
// settings carry them when the usual decimals do not read back as the value), else the number.
function savedNumber(text, key) {
  const [number, exact] = setting(text, key).split(" ");
  if (exact && exact.length === 17 && exact[0] === "x") {
    const bits = new DataView(new ArrayBuffer(8));
    bits.setBigUint64(0, BigInt("0x" + exact.slice(1)));
    return bits.getFloat64(0);
  }
  return Number(number.replace(",", ".").replace("\u2212", "-"));
}

async function pixel(page, x, y) {
  return page.evaluate(([x, y]) => {
    const canvas = document.getElementById("scales");
    const dpr = window.devicePixelRatio || 1;
    const d = canvas.getContext("2d").getImageData(Math.floor(x * dpr), Math.floor(y * dpr), 1, 1).data;
    return [d[0], d[1], d[2]];
  }, [x, y]);
}

/// The longest run of one colour along a row of the canvas.
async function distanceLineRow(page, row, colour) {
  return page.evaluate(([row, colour]) => {
    const canvas = document.getElementById("scales");
    const dpr = window.devicePixelRatio || 1;
    const data = canvas.getContext("2d").getImageData(0, Math.floor(row * dpr), canvas.width, 1).data;
    let run = 0, best = 0;
    for (let x = 0; x < canvas.width; ++x) {
      const same = data[4 * x] === colour[0] && data[4 * x + 1] === colour[1] && data[4 * x + 2] === colour[2];
      run = same ? run + 1 : 0;
      best = Math.max(best, run);
    }
    return best / dpr;
  }, [row, colour]);
}

async function toolbarButton(page, toolbar, index) {
  const box = await page.locator(`.toolbar[data-toolbar="${toolbar}"] button`).nth(index).boundingBox();
  return [box.x + box.width / 2, box.y + box.height / 2];
}

async function click(page, x, y, button = "left") {
  await page.mouse.move(x, y);
  await page.mouse.down({ button });
  await page.mouse.up({ button });
  await settle(page);
}

async function drag(page, x, from, to, button = "left", steps = 20) {
  await page.mouse.move(x, from);
  await page.mouse.down({ button });
  for (let i = 1; i <= steps; ++i) await page.mouse.move(x, from + ((to - from) * i) / steps);
  await page.mouse.up({ button });
  await settle(page);
}

/// The scale rectangles, from the page's own layout of the columns.
async function columns(page) {
  return page.evaluate(() => window.qelColumns());
}

const RED = [255, 0, 0], GREEN = [0, 255, 0];
const PHONE = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 3 };
const cases = [];
const test = (name, body) => cases.push({ name, body });

// ---- Cases. -------------------------------------------------------------------------------------
test("first_start", async (context) => {
  const page = await open(context, "first_start");
  check((await page.title()) === TITLE + "Generic 35mm film camera (Sharp print)",
        `title ${await page.title()}`);
  const [near, focus, far] = await page.evaluate(() => window.qelRows());
  check(near > focus && focus > far, `rows near ${near}, focus ${focus}, far ${far}`);
  // Each line runs across the 65-pixel blur strip (contour ticks may cross its ends).
  check((await distanceLineRow(page, focus, GREEN)) > 40, `no green focus line on row ${focus}`);
  check((await distanceLineRow(page, near, RED)) > 40, `no red near line on row ${near}`);
  check((await distanceLineRow(page, far, RED)) > 40, `no red far line on row ${far}`);
  check((await distanceLineRow(page, focus + 3, GREEN)) < 10, "the focus line is more than a row high (beyond its triangle)");
  const text = await stored(page);
  check(text === execFileSync(qelCalc, ["save", "--defaults"], { encoding: "utf-8" }),
        "the first start did not store the settings qel.exe would write");
  await page.screenshot({ path: path.join(shots, "first_start.png") });
  return page;
});

// ---- The layout qel.exe makes: the core (same_ops.mjs checks that qel.wasm draws as the native
// build does) measuring as Windows does from the font file itself: the cell height is the font's
// Windows ascent plus descent, the em a whole number of pixels, each character's advance rounded.
function windowsMeasure(fontFile) {
  const font = fs.readFileSync(fontFile);
  const tables = {};
  for (let i = 0; i < font.readUInt16BE(4); ++i) tables[font.toString("latin1", 12 + 16 * i, 16 + 16 * i)] = font.readUInt32BE(20 + 16 * i);
  const upem = font.readUInt16BE(tables.head + 18);
  const cellUnits = font.readUInt16BE(tables["OS/2"] + 74) + font.readUInt16BE(tables["OS/2"] + 76);
  const metrics = font.readUInt16BE(tables.hhea + 34);
  let map = 0;  // the Windows Unicode character map (format 4)
  for (let i = 0; i < font.readUInt16BE(tables.cmap + 2); ++i) {
    if (font.readUInt32BE(tables.cmap + 4 + 8 * i) === 0x30001) map = tables.cmap + font.readUInt32BE(tables.cmap + 8 + 8 * i);
  }
  const segments = font.readUInt16BE(map + 6) / 2;
  const glyph = (c) => {
    for (let i = 0; i < segments; ++i) {
      if (c > font.readUInt16BE(map + 14 + 2 * i)) continue;
      const start = font.readUInt16BE(map + 16 + 2 * segments + 2 * i);
      const delta = font.readInt16BE(map + 16 + 4 * segments + 2 * i);
      const rangeAt = map + 16 + 6 * segments + 2 * i, range = font.readUInt16BE(rangeAt);
      if (c < start) return 0;
      const g = range === 0 ? c : font.readUInt16BE(rangeAt + range + 2 * (c - start));
      return g === 0 ? 0 : (g + delta) & 0xffff;
    }
    return 0;
  };
  const cell = (h) => (h > 0 ? h : 16);
  return {
    qelLineHeight: cell,
    qelTextWidth: (h, text) => {
      const em = Math.round((cell(h) * upem) / cellUnits);
      let w = 0;
      for (const c of text) w += Math.round((font.readUInt16BE(tables.hmtx + 4 * Math.min(glyph(c.codePointAt(0)), metrics - 1)) * em) / upem);
      return w;
    },
  };
}

test("lays_out_as_the_windows_program", async (_, browserNow) => {
  const createQel = createRequire(import.meta.url)(path.join(site, "qel.js"));
  const M = await createQel({ wasmBinary: fs.readFileSync(path.join(site, "qel.wasm")), ...windowsMeasure(carlito) });
  M._qel_start(0, 0, 46);
  for (const [width, height] of [[632, 513], [1000, 700], [1600, 1000]]) {
    M._qel_resize(width, height);
    const rect = (c) => ({ left: M._qel_scale(c, 0), top: M._qel_scale(c, 1), right: M._qel_scale(c, 2), bottom: M._qel_scale(c, 3) });
    const native = JSON.stringify({ height: M._qel_text_height(), lens: rect(0), aperture: rect(1), distance: rect(2), blur: rect(3), details: rect(4) });
    const context = await browserNow.newContext({ viewport: { width, height } });
    const page = await open(context, `layout-${width}`);
    const shown = JSON.stringify(await page.evaluate(() => ({ height: window.qelTextHeight(), ...window.qelColumns() })));
    await context.close();
    check(shown === native, `at ${width} x ${height} the page lays out ${shown}, qel.exe ${native}`);
  }
  return null;
});

test("modes_by_buttons_and_keys", async (context) => {
  const page = await open(context, "modes");
  for (const mode of [1, 2, 3, 4]) {
    await click(page, ...(await toolbarButton(page, 100, mode)));
    const pressed = await page.locator('.toolbar[data-toolbar="100"] button.pressed').count();
    check(pressed === 1, `${pressed} mode buttons pressed`);
    check(setting(await stored(page), "mode") === String(mode), `mode ${mode} not stored`);
    const images = await page.locator('.toolbar[data-toolbar="106"]').isVisible();
    check(images === (mode === 2), `images toolbar ${images ? "shown" : "hidden"} in mode ${mode}`);
  }
  await page.keyboard.press("Control+3");
  await settle(page);
  check(setting(await stored(page), "mode") === "2", "Ctrl+3 did not choose focus stacking");
  await page.keyboard.press("+");
  await settle(page);
  check(setting(await stored(page), "ni") === "3", "+ did not add an image");
  return page;
});

test("focus_to_infinity_and_aperture_to_f128", async (context) => {
  const page = await open(context, "drags");
  const c = await columns(page);
  const [, focus] = await page.evaluate(() => window.qelRows());
  const x = (c.distance.left + c.distance.right) / 2;
  await drag(page, x, focus, c.distance.top - 40);
  // The settings file writes its minus sign as U+2212.
  check(setting(await stored(page), "focus_at") === "\u22121.00", `focus_at ${setting(await stored(page), "focus_at")}`);
  await click(page, (c.aperture.left + c.aperture.right) / 2, c.aperture.top);
  // The top stop of the half-stop table, saved with the decimals that read back as that very double.
  let top = 0.7071067811865476;
  for (let i = 1; i < 31; ++i) top *= 1.189207115002721;
  // Saved as its usual decimals and, as they do not read back as it, its exact IEEE bits.
  const saved = setting(await stored(page), "f_stop");
  check(saved.startsWith("128.00000 x") && savedNumber(await stored(page), "f_stop") === top && Math.abs(top - 128) < 1e-9,
        `f_stop ${saved}`);
  return page;
});

test("right_button_zoom", async (context) => {
  const page = await open(context, "zoom");
  const c = await columns(page);
  const x = (c.lens.left + c.lens.right) / 2;
  const mid = Math.round((c.lens.top + c.lens.bottom) / 2);
  await drag(page, x, mid, mid + 40, "right");
  const zoom = savedNumber(await stored(page), "fl_zoom");
  check(zoom > 5, `fl_zoom ${zoom} after a right drag down`);
  const menu = await page.evaluate(() => document.getElementById("menu").hidden);
  check(menu, "a menu opened over the scales");
  return page;
});

test("touch_on_a_phone", async (_, browserNow) => {
  const context = await browserNow.newContext({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true,
                                                deviceScaleFactor: 3 });
  const page = await open(context, "phone");
  const c = await columns(page);
  const [, focus] = await page.evaluate(() => window.qelRows());
  const x = Math.round((c.distance.left + c.distance.right) / 2);
  const cdp = await context.newCDPSession(page);
  const touch = (type, y) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
  await touch("touchStart", focus);
  for (let i = 1; i <= 10; ++i) await touch("touchMove", focus - 8 * i);
  await touch("touchEnd");
  await settle(page);
  const after = savedNumber(await stored(page), "focus_at");
  check(after > 1219.2 || after < 0, `a finger dragging the focus line up left focus_at at ${after}`);
  const scroll = await page.evaluate(() => [window.scrollX, window.scrollY]);
  check(scroll[0] === 0 && scroll[1] === 0, `the page scrolled to ${scroll}`);
  await page.screenshot({ path: path.join(shots, "phone.png") });
  await context.close();
  return null;
});

test("a_pinch_zooms_a_column", async (_, browserNow) => {
  // The second finger lands long after the first (which has moved a little, within the slop);
  // spreading them zooms in as a right-button drag up does, pinching zooms out; the value stays.
  for (const [spread, zoomsIn] of [[60, true], [-30, false]]) {
    const context = await browserNow.newContext(PHONE);
    const page = await open(context, "pinch");
    const c = await columns(page);
    const x = Math.round((c.lens.left + c.lens.right) / 2);
    const y = Math.round((c.lens.top + c.lens.bottom) / 2);
    const cdp = await context.newCDPSession(page);
    const touch = (type, points) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: points });
    await touch("touchStart", [{ x, y: y - 40, id: 1 }]);
    await page.waitForTimeout(300);
    await touch("touchMove", [{ x: x + 1, y: y - 39, id: 1 }]);
    await page.waitForTimeout(100);
    await touch("touchStart", [{ x: x + 1, y: y - 39, id: 1 }, { x, y: y + 40, id: 2 }]);
    for (let i = 1; i <= 10; ++i) {
      const d = Math.round((spread * i) / 20);
      await touch("touchMove", [{ x: x + 1, y: y - 39 - d, id: 1 }, { x, y: y + 40 + d, id: 2 }]);
      await page.waitForTimeout(16);
    }
    await touch("touchEnd", []);
    await settle(page);
    const text = await stored(page);
    const zoom = savedNumber(text, "fl_zoom");
    check(zoomsIn ? zoom < 5 : zoom > 5, `${spread > 0 ? "spreading" : "pinching"} two fingers on the lens scale left fl_zoom at ${zoom}`);
    check(setting(text, "focal_length") === "50.00", `the pinch moved the focal length to ${setting(text, "focal_length")}`);
    await context.close();
  }
  return null;
});

test("blur_strips_painted_as_the_core_made_them", async (_, browserNow) => {
  // The strip's pixels on the canvas are the core's image (the native build's, as same_ops.mjs
  // checks), blue, green and red in their places, in the modes that show one, at 1x and at 3x.
  const defaults = fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8");
  for (const [mode, scale] of [["0", 1], ["2", 3], ["3", 1]]) {
    const context = await browserNow.newContext({ viewport: { width: 900, height: 600 }, deviceScaleFactor: scale });
    await context.addInitScript((t) => localStorage.setItem("qel-settings", t),
                                defaults.replace("mode 0", `mode ${mode}`).replace("f_stop 8.00000", "f_stop 2.80000"));
    const page = await open(context, `strip-${mode}`);
    const wrong = await page.evaluate((dpr) => {
      const canvas = document.getElementById("scales");
      const problems = [];
      let total = 0, swapped = 0;
      for (const image of window.qelImages()) {
        const shown = canvas.getContext("2d").getImageData(image.x * dpr, image.y * dpr, image.w * dpr, image.h * dpr).data;
        for (let y = 0; y < image.h; ++y) {
          for (let x = 0; x < image.w; ++x) {
            const at = 4 * ((y * dpr + (dpr >> 1)) * image.w * dpr + x * dpr + (dpr >> 1));
            const [b, g, r] = image.rows[y].slice(3 * x, 3 * x + 3);
            total += 1;
            if (shown[at] === r && shown[at + 1] === g && shown[at + 2] === b) continue;
            swapped += r !== b && shown[at] === b && shown[at + 1] === g && shown[at + 2] === r ? 1 : 0;
            problems.push(`(${x}, ${y}) ${shown.slice(at, at + 3)} not ${[r, g, b]}`);
          }
        }
      }
      return { total, swapped, problems };
    }, scale);
    // The strip's lines, ticks and texts are drawn over some of its pixels, never over a twentieth.
    check(wrong.total > 1000 && wrong.swapped === 0 && wrong.problems.length < wrong.total / 20,
          `mode ${mode} at ${scale}x: of ${wrong.total} strip pixels ${wrong.problems.length} differ, ${wrong.swapped} with red and blue swapped: ${wrong.problems.slice(0, 3).join("; ")}`);
    await context.close();
  }
  return null;
});

test("a_drag_repaints_only_what_it_changes", async (_, browserNow) => {
  // In every mode, a drag's frames repaint part of the canvas, and it ends as a whole repaint would paint it.
  for (const [mode, scale] of [[0, 3], [2, 1.5], [4, 1.25]]) {
    const context = await browserNow.newContext({ viewport: { width: 700, height: 600 }, deviceScaleFactor: scale });
    const page = await open(context, `tiles-${mode}`);
    await page.keyboard.press(`Control+${mode + 1}`);
    await settle(page);
    const c = await columns(page);
    const x = Math.round((c.distance.left + c.distance.right) / 2);
    const rows = await page.evaluate(() => window.qelRows());
    const from = mode === 4 ? Math.round((c.aperture.top + c.aperture.bottom) / 2) : rows[mode === 0 || mode === 3 ? 1 : 2];
    const at = mode === 4 ? Math.round((c.aperture.left + c.aperture.right) / 2) : x;
    const canvasHash = () => page.evaluate(() => {
      const canvas = document.getElementById("scales");
      const d = new Uint32Array(canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data.buffer);
      let h = 2166136261;
      for (let i = 0; i < d.length; ++i) h = Math.imul(h ^ d[i], 16777619);
      return h;
    });
    await page.mouse.move(at, from);
    await page.mouse.down();
    for (let step = 1; step <= 2; ++step) {
      await page.mouse.move(at, from - 25 * step);
      await page.waitForTimeout(50);
      const [painted, all] = await page.evaluate(() => window.qelLastFrameTiles());
      const partial = await canvasHash();
      await page.evaluate(() => window.qelRepaintAll());
      check(partial === (await canvasHash()), `mode ${mode} at ${scale}x, move ${step}: the frame differs from a whole repaint`);
      check(painted > 0 && painted < all, `mode ${mode}: a move repainted ${painted} of ${all} tiles`);
    }
    await page.mouse.up();
    await context.close();
  }
  return null;
});

test("sharp_at_every_density", async (_, browserNow) => {
  for (const scale of [1.25, 1.5, 1.75, 3]) {
    const context = await browserNow.newContext({ viewport: { width: 700, height: 600 }, deviceScaleFactor: scale });
    const page = await open(context, `density-${scale}`);
    // The lens scale's ticks: white lines on black, no grey device pixel along them.
    const [grey, white] = await page.evaluate(() => {
      const s = window.qelColumns().lens, dpr = window.devicePixelRatio, canvas = document.getElementById("scales");
      const x = Math.round(s.left * dpr), y = Math.round(s.top * dpr);
      const d = canvas.getContext("2d").getImageData(x, y, Math.round(10 * dpr), Math.round((s.bottom - s.top) * dpr)).data;
      let grey = 0, white = 0;
      for (let i = 0; i < d.length; i += 4) {
        if (d[i] !== d[i + 1] || d[i] !== d[i + 2] || d[i] === 0) continue;  // the marker, the panel
        if (d[i] === 255) white += 1;
        else grey += 1;
      }
      return [grey, white];
    });
    check(white > 100 && grey <= white / 50, `at ${scale}x the lens ticks have ${grey} grey pixels to ${white} white`);
    // The toolbar pictures drawn one picture pixel to one device pixel, where the device pixels begin.
    const blurred = await page.locator(".toolbar canvas").evaluateAll((canvases) => canvases.filter((c) => {
      const r = c.getBoundingClientRect(), dpr = window.devicePixelRatio, whole = (v) => Math.abs(v - Math.round(v)) < 0.01;
      return r.width && !(whole(r.left * dpr) && whole(r.top * dpr) && Math.abs(r.width * dpr - c.width) < 0.01 &&
                          Math.abs(c.width - c.parentNode.getBoundingClientRect().width * dpr) <= 1);
    }).length);
    check(!blurred, `at ${scale}x ${blurred} toolbar pictures are not drawn in whole device pixels`);
    await context.close();
  }
  return null;
});

test("browser_zoom_makes_the_text_larger", async (context) => {
  const page = await open(context, "zoom");
  const before = await page.evaluate(() => window.qelTextHeight());
  // Zoom 200 %: the same window in device pixels, each CSS pixel two of them.
  const cdp = await context.newCDPSession(page);
  await cdp.send("Emulation.setDeviceMetricsOverride", { width: 500, height: 350, deviceScaleFactor: 2, mobile: false });
  await page.waitForFunction(() => window.devicePixelRatio === 2);
  await settle(page);
  const [after, width] = await page.evaluate(() => [window.qelTextHeight(), document.getElementById("scales").getBoundingClientRect().width]);
  check(after === before && width === 1000, `at 200 % the text height is ${after} (was ${before}) on a canvas ${width} wide`);
  return page;
});

test("keys_of_the_windows_program", async (context) => {
  const page = await open(context, "keys");
  const value = async (key) => savedNumber(await stored(page), key);
  const press = async (...keys) => {
    for (const k of keys) await page.keyboard.press(k);
    await settle(page, 50);
  };
  await press("Tab", "ArrowUp");  // the first Tab shows the focus on the lens
  const up = await value("focal_length");
  check(up > 50, `Tab, Up left the focal length at ${up}`);
  await press("ArrowDown", "ArrowDown");
  check((await value("focal_length")) < 50, "Down did not step the focal length down");
  await press("PageUp");
  check((await value("focal_length")) - up > up - 50, "Page Up did not move further than a step");
  await press("Tab", "Tab", "PageDown");  // the focus line, a page nearer
  check((await value("focus_at")) < 1219.2, `Page Down left the focus at ${await value("focus_at")}`);
  await press("Shift+Tab", "ArrowUp");  // back to the aperture
  check((await value("f_stop")) > 8, `Shift+Tab, Up left the f-stop at ${await value("f_stop")}`);
  const f = await value("f_stop");
  await press("Escape", "ArrowUp");  // no focus and no scale under the pointer: nothing moves
  check(f === (await value("f_stop")), "Up moved a value with the focus hidden");
  // The menus' keys: Alt+U opens the units menu, Down and Enter choose, a letter chooses, Escape closes.
  const units = setting(await stored(page), "units");
  await press("Alt+U");
  check(await page.locator("#menu").isVisible(), "Alt+U opened no menu");
  await press("ArrowDown", "Enter");
  check(await page.locator("#menu").isHidden(), "Enter left the menu open");
  const chosen = setting(await stored(page), "units");
  check(chosen !== units, `Down, Enter in the units menu left the units at ${chosen}`);
  await press("Alt+C", "Escape");
  check(await page.locator("#menu").isHidden(), "Escape left the camera menu open");
  await press("Alt+U", "y");
  check(setting(await stored(page), "units") !== chosen, "a menu item's letter did not choose it");
  return page;
});

test("a_press_that_closes_a_menu_does_nothing_else", async (_, browserNow) => {
  for (const phone of [false, true]) {
    const context = await browserNow.newContext(phone ? PHONE : { viewport: { width: 1000, height: 700 } });
    const page = await open(context, phone ? "menu-phone" : "menu-desktop");
    const cdp = await context.newCDPSession(page);
    const tap = async (x, y) => {
      if (!phone) return click(page, x, y);
      await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x, y }] });
      await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
      return settle(page);
    };
    const c = await columns(page);
    await tap(...(await toolbarButton(page, 101, 0)));  // the units menu
    check(await page.locator("#menu").isVisible(), "no units menu");
    await tap(Math.round((c.aperture.left + c.aperture.right) / 2), c.aperture.top + 2);
    check(await page.locator("#menu").isHidden(), "the menu stayed open");
    const f = setting(await stored(page), "f_stop");
    check(f === "8.00000", `${phone ? "the tap" : "the click"} closing the menu also set the f-stop to ${f}`);
    await context.close();
  }
  return null;
});

test("about_and_the_manuals", async (context) => {
  const page = await open(context, "about");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "About Qel" }).click();
  check(await page.locator("#about").isVisible(), "no About box");
  check((await page.locator("#about").textContent()).includes(`Qel ${VERSION}`), "the About box has no version");
  await page.keyboard.press("Escape");
  check(await page.locator("#about").isHidden(), "Escape left the About box open");
  const opened = context.waitForEvent("page");
  await page.keyboard.press("F1");
  const manual = await opened;
  await manual.waitForURL(/Quick/, { timeout: 5000 }).catch(() => {});
  check(decodeURIComponent(manual.url()).endsWith("/Qel Quick Start.pdf"), `F1 opened ${manual.url()}`);
  return page;
});

test("decimal_comma_of_a_german_browser", async (_, browserNow) => {
  const context = await browserNow.newContext({ viewport: { width: 1000, height: 700 }, locale: "de-DE" });
  const page = await open(context, "german");
  const expected = execFileSync(qelCalc, ["save", "--defaults", "--decimal", ","], { encoding: "utf-8" });
  check((await stored(page)) === expected, "the settings were not written with the decimal comma");
  await context.close();
  return null;
});

test("camera_dialog_and_reload", async (context) => {
  const page = await open(context, "camera");
  await click(page, ...(await toolbarButton(page, 102, 0)));
  await page.locator("#menu .item").first().click();
  await page.waitForSelector("#camera-dialog:not([hidden])");
  await page.locator("#control-4023").click();  // New
  await page.locator("#control-4001").fill("Field camera");
  // A refused field keeps every edit of that Apply as typed, and is selected for correcting.
  await page.locator("#control-4005").fill("30");
  await page.locator("#control-4016").fill("abc");
  await page.locator("#control-4025").click();  // Apply
  await page.waitForSelector("#error:not([hidden])");
  const message = await page.locator("#error-text").textContent();
  await page.locator("#error-ok").click();
  const kept = await page.evaluate(() => [document.getElementById("control-4005").value,
    document.getElementById("control-4016").value, document.activeElement.id]);
  check(message === "Illegal print size" && kept.join() === "30,abc,control-4016",
    `after "${message}" the fields hold ${kept}`);
  await page.keyboard.type("0.005");  // the refused text is selected: typing replaces it
  await page.locator("#control-4025").click();
  await settle(page);
  check(await page.locator("#control-4016").inputValue() === "0.005", "a print size of 0.005 is not shown as it is");
  await page.locator("#camera-close").click();
  await settle(page);
  check(await page.locator("#camera-dialog").isHidden(), "the dialog stayed open");
  check((await page.title()) === TITLE + "Field camera", `title ${await page.title()}`);
  check(setting(await stored(page), "ncameras").startsWith("2 "), "the new camera was not stored");
  await page.reload();
  await page.waitForFunction(() => window.qelReady === true);
  check((await page.title()) === TITLE + "Field camera", `after a reload: ${await page.title()}`);
  return page;
});

test("camera_dialog_as_a_phone_form", async (_, browserNow) => {
  for (const [width, height, scale] of [[320, 568, 2], [390, 844, 3], [844, 390, 2]]) {
    const context = await browserNow.newContext({ ...PHONE, viewport: { width, height }, deviceScaleFactor: scale });
    const page = await open(context, `dialog-${width}`);
    await page.locator('.toolbar[data-toolbar="102"] [data-button="0"]').tap();
    await page.locator("#menu .item").first().tap();
    await page.waitForSelector("#camera-dialog:not([hidden])");
    await page.waitForTimeout(200);
    await page.screenshot({ path: path.join(shots, `dialog-${width}x${height}.png`) });
    const where = `at ${width} x ${height}`;
    const problems = await page.evaluate(() => {
      const problems = [];
      const box = document.querySelector("#camera-dialog .box").getBoundingClientRect();
      const inside = (r) => r.left >= 0 && r.top >= 0 && r.right <= innerWidth + 0.5 && r.bottom <= innerHeight + 0.5;
      if (!inside(box)) problems.push(`the dialog lies at ${box.left}, ${box.top} to ${box.right}, ${box.bottom}`);
      const form = document.getElementById("camera-form");
      if (form.scrollWidth > form.clientWidth) problems.push(`the form is ${form.scrollWidth} wide in ${form.clientWidth}`);
      const fields = [...form.querySelectorAll("input, select, .label")];
      for (const label of form.querySelectorAll(".label")) {
        const l = label.getBoundingClientRect();
        if (!label.textContent || /\d/.test(label.textContent) || l.left > box.left + box.width / 3) continue;  // units, results
        const middle = (l.top + l.bottom) / 2;
        const beside = fields.some((f) => {
          const r = f.getBoundingClientRect();
          return f !== label && r.left >= l.right - 1 && r.top <= middle && r.bottom >= middle && r.right <= innerWidth;
        });
        if (!beside) problems.push(`no field beside "${label.textContent}"`);
      }
      for (const b of [...document.querySelectorAll("#camera-dialog button")]) {
        const r = b.getBoundingClientRect();
        const hit = document.elementFromPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (!inside(r) || (hit !== b && !b.contains(hit))) problems.push(`"${b.textContent}" cannot be reached`);
      }
      for (const input of form.querySelectorAll("input")) {
        if (input.inputMode !== (input.id === "control-4001" ? "text" : "decimal")) problems.push(`${input.id} brings up the ${input.inputMode || "default"} keyboard`);
      }
      return problems;
    });
    check(problems.length === 0, `${where}: ${problems.join("; ")}`);
    // Tab goes round the dialog's controls and never leaves it.
    await page.evaluate(() => {
      window.strayed = 0;
      document.addEventListener("focusin", (e) => { if (!document.getElementById("camera-dialog").contains(e.target)) window.strayed += 1; });
    });
    for (let i = 0; i < 30; ++i) await page.keyboard.press(i % 7 === 6 ? "Shift+Tab" : "Tab");
    check((await page.evaluate(() => window.strayed)) === 0, `${where}: Tab left the dialog`);
    await context.close();
  }
  return null;
});

test("open_and_save_a_settings_file", async (context) => {
  const page = await open(context, "files");
  const source = path.join(shots, "macro.txt");
  fs.writeFileSync(source, fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8")
    .replace("mode 0", "mode 4").replace("focal_length 50.00", "focal_length 105.00"));
  const expected = execFileSync(qelCalc, ["save", source], { encoding: "utf-8" });
  const written = path.join(shots, "Qel-from-qel-calc.txt");
  fs.writeFileSync(written, expected);
  const chooser = page.waitForEvent("filechooser");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "Open settings..." }).click();
  await (await chooser).setFiles(written);
  await settle(page);
  check((await stored(page)) === expected, "the opened file was not taken as it is");
  const download = page.waitForEvent("download");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "Save settings..." }).click();
  const saved = fs.readFileSync(await (await download).path(), "utf-8");
  check(saved === expected, "the saved file differs from what qel.exe would write");

  // A file that is not Qel's settings is refused, and the settings in use stay.
  const stranger = path.join(shots, "notes.txt");
  fs.writeFileSync(stranger, "Shopping list\nmode 3\n");
  const another = page.waitForEvent("filechooser");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "Open settings..." }).click();
  await (await another).setFiles(stranger);
  await page.locator("#error").waitFor({ state: "visible", timeout: 5000 });
  check((await page.locator("#error-text").textContent()) === "notes.txt is not a Qel settings file", "no message");
  await page.keyboard.press("Enter");
  check((await stored(page)) === expected, "a file that is not Qel's replaced the settings");
  return page;
});

test("corrupt_stored_text", async (context) => {
  await context.addInitScript(() => {
    if (!sessionStorage.getItem("seeded")) {
      sessionStorage.setItem("seeded", "1");
      localStorage.setItem("qel-settings", "\u0000garbage from elsewhere\nmode 9\n");
    }
  });
  const page = await open(context, "corrupt");
  check((await page.title()).endsWith("Generic 35mm film camera (Sharp print)"), `title ${await page.title()}`);
  const backup = await page.evaluate(() => localStorage.getItem("qel-settings-backup"));
  check(backup === "\u0000garbage from elsewhere\nmode 9\n", `backup ${JSON.stringify(backup)}`);
  check(setting(await stored(page), "mode") === "0", "the defaults were not stored");
  return page;
});

test("a_full_storage_drops_the_backup_not_the_settings", async (context) => {
  const page = await open(context, "quota");
  // Another text takes all the room the browser gives the site, but for a few dozen characters.
  const left = await page.evaluate(() => {
    let n = 0;
    for (let step = 1 << 23; step >= 16; step >>= 1) {
      try { localStorage.setItem("filler", "x".repeat(n + step)); n += step; } catch (err) { /* too long */ }
    }
    localStorage.setItem("filler", "x".repeat(n));
    return n;
  });
  check(left > 1000, `the storage took only ${left} characters`);
  await page.keyboard.press("Control+2");
  await settle(page);
  await page.keyboard.press("Control+3");
  await settle(page);
  check(setting(await stored(page), "mode") === "2", "with the storage full, a change was not stored");
  check((await page.evaluate(() => localStorage.getItem("qel-settings-backup"))) === null,
        "a backup that did not fit was kept (an older text than the settings before the change)");
  return page;
});

test("another_tab_s_change_is_picked_up", async (context) => {
  const first = await open(context, "tab-1");
  const second = await open(context, "tab-2");
  await first.keyboard.press("Control+2");
  await settle(first);
  await second.waitForFunction(() => document.querySelector('.toolbar[data-toolbar="100"] [data-button="1"]').classList.contains("pressed"),
                               null, { timeout: 3000 }).catch(() => {});
  await second.keyboard.press("Control+g");  // snapping off, in the other tab
  await settle(second);
  const text = await stored(second);
  check(setting(text, "mode") === "1" && setting(text, "snap") === "0",
        `the second tab stored mode ${setting(text, "mode")} and snap ${setting(text, "snap")} over the first tab's change`);
  return second;
});

test("a_thousand_cameras_scroll", async (context) => {
  const base = fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8");
  const line = base.split("\n").find((l) => l.startsWith("camera 0 "));
  const lines = Array.from({ length: 1000 }, (_, i) => line.replace(/^camera 0 "[^"]*"/, `camera ${i} "Body ${String(i).padStart(4, "0")}"`));
  const text = base.replace(/^ncameras .*$/m, "ncameras 1000 0").replace(line, lines.join("\n"));
  await context.addInitScript((t) => {
    if (!sessionStorage.getItem("seeded")) {
      sessionStorage.setItem("seeded", "1");
      localStorage.setItem("qel-settings", t);
    }
  }, text);
  const page = await open(context, "thousand");
  await click(page, ...(await toolbarButton(page, 102, 0)));
  const [scroll, client] = await page.evaluate(() => [document.getElementById("menu").scrollHeight, document.getElementById("menu").clientHeight]);
  check(scroll > client * 10, `the camera menu does not scroll (${scroll} in ${client})`);
  const last = page.locator("#menu .item", { hasText: "Body 0999" });
  await last.scrollIntoViewIfNeeded();
  await last.click();
  await settle(page);
  check((await page.title()) === TITLE + "Body 0999", `title ${await page.title()}`);
  return page;
});

test("read_aloud_and_reached_by_keys", async (context) => {
  const page = await open(context, "readout");
  // The live region holds what qel-calc shows for the same settings: title, captions, details.
  const shown = async () => {
    const file = path.join(shots, "readout.txt");
    fs.writeFileSync(file, await stored(page));
    const lines = execFileSync(qelCalc, ["show", file], { encoding: "utf-8" }).split("\n");
    const captions = (kind) => lines.filter((l) => l.startsWith(`caption `) && l.includes(` ${kind}: `) && !l.startsWith("caption details"))
      .map((l) => l.slice(l.indexOf(": ") + 2).split("|"));
    const names = captions("name"), values = captions("value");
    const columns = names.map((n, c) => n.map((name, p) => [name, values[c][p]].filter((t) => t).join(" ")).filter((t) => t).join(", "));
    return [lines[0].slice("title: ".length), ...columns, ...lines.filter((l) => l.startsWith("details: ")).map((l) => l.slice(9))];
  };
  const readout = () => page.evaluate(() => [...document.querySelectorAll("#readout p")].map((p) => p.textContent));
  await page.waitForTimeout(900);
  check(JSON.stringify(await readout()) === JSON.stringify(await shown()), `the live region reads ${JSON.stringify(await readout())}`);
  const stacking = page.getByRole("button", { name: "Focus stacking mode (Ctrl+3)" });
  check((await stacking.getAttribute("aria-pressed")) === "false", "the focus stacking button is no toggle button");
  await page.keyboard.press("Control+3");
  await page.waitForTimeout(900);
  check((await stacking.getAttribute("aria-pressed")) === "true", "the focus stacking button is not shown pressed");
  check(JSON.stringify(await readout()) === JSON.stringify(await shown()), "the live region did not follow the mode");
  // Tab goes through the three values of the mode, then on to the toolbar buttons, with a visible focus.
  for (let i = 0; i < 4; ++i) await page.keyboard.press("Tab");
  const focused = () => page.evaluate(() => {
    const a = document.activeElement;
    return { toolbar: a.closest(".toolbar") ? a.closest(".toolbar").dataset.toolbar : null, button: a.dataset.button,
             outline: getComputedStyle(a).outlineStyle };
  });
  let f = await focused();
  check(f.toolbar === "102" && f.outline !== "none", `after the values Tab reached ${JSON.stringify(f)}`);
  await page.keyboard.press("Tab");
  f = await focused();
  check(f.toolbar === "100" && f.button === "0", `the second Tab reached ${JSON.stringify(f)}`);
  await page.keyboard.press("Space");
  await settle(page);
  check(setting(await stored(page), "mode") === "0", "Space on the depth of field button did not choose it");
  return page;
});

test("fingers_reach_buttons_and_hold_them_for_help", async (_, browserNow) => {
  const context = await browserNow.newContext(PHONE);
  const page = await open(context, "fingers");
  const cdp = await context.newCDPSession(page);
  const touch = (type, x, y) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
  // A touch 20 pixels below a button's centre, or beside a toolbar's end, is still on it.
  for (const [toolbar, index, dx, dy, key, value] of [[100, 2, 0, 20, "mode", "2"], [105, 0, 20, 0, "snap", "0"],
                                                      [100, 3, 0, 20, "mode", "3"]]) {
    const [x, y] = await toolbarButton(page, toolbar, index);
    await touch("touchStart", x + dx, y + dy);
    await touch("touchEnd");
    await settle(page);
    check(setting(await stored(page), key) === value, `a touch ${dx}, ${dy} pixels from button ${index} of ${toolbar} missed it`);
  }
  await page.locator('.toolbar[data-toolbar="101"] [data-button="0"]').tap();
  const heights = await page.locator("#menu .item").evaluateAll((items) => items.map((i) => i.getBoundingClientRect().height));
  check(heights.length > 0 && Math.min(...heights) >= 44, `menu items ${heights} pixels high`);
  await page.keyboard.press("Escape");
  // Held, a button shows its help and does nothing else.
  const [x, y] = await toolbarButton(page, 101, 1);
  await touch("touchStart", x, y);
  await page.waitForTimeout(800);
  const help = await page.locator("#popup-help").isVisible() && await page.locator("#popup-help").textContent();
  await touch("touchEnd");
  await settle(page);
  const named = await page.locator('.toolbar[data-toolbar="101"] [data-button="1"]').getAttribute("aria-label");
  // A screen with nothing but a touch screen has no keys: its help names none.
  check(help === "Help commands and the Field Card" && named.startsWith(`${help}, Ctrl+P`),
        `a long press on the help button showed ${JSON.stringify(help)}`);
  check(await page.locator("#menu").isHidden(), "the long press also opened the help menu");
  await context.close();
  return null;
});

// ---- A phone held upright or on its side, used with fingers. --------------------------------------
/// What is wrong with what the page shows: a text under 12 CSS pixels (a scale label under 11),
/// off the screen, cut, over another text or under a toolbar; a button smaller than a finger, off
/// the screen or over another; a page that scrolls.
async function phoneProblems(page) {
  const s = await page.evaluate(() => {
    const box = (n) => { const r = n.getBoundingClientRect(); return { l: r.left, t: r.top, r: r.right, b: r.bottom }; };
    const bars = [...document.querySelectorAll(".toolbar")].filter((t) => !t.hidden), w = document.getElementById("window");
    return { texts: window.qelTexts(), bars: bars.map(box), buttons: bars.flatMap((t) => [...t.children].map(box)),
             screen: { l: 0, t: 0, r: innerWidth, b: innerHeight }, scrolls: w.scrollWidth > w.clientWidth || w.scrollHeight > w.clientHeight };
  });
  const over = (a, b) => a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b;
  const within = (a, b) => a.l >= b.l && a.t >= b.t && a.r <= b.r && a.b <= b.b;
  const problems = s.scrolls ? ["the page scrolls"] : [];
  s.texts.forEach((t, i) => {
    if (t.px < (t.label ? 11 : 12)) problems.push(`"${t.text}" at ${t.px} px`);
    if (!within(t, s.screen) || (t.clip && !within(t, t.clip))) problems.push(`"${t.text}" cut`);
    const under = [...s.texts.slice(0, i).filter((u) => over(t, u)).map((u) => `"${u.text}"`), ...s.bars.filter((b) => over(t, b)).map(() => "a toolbar")];
    if (under.length) problems.push(`"${t.text}" over ${under.join(", ")}`);
  });
  s.buttons.forEach((b, i) => {
    if (b.r - b.l < 44 || b.b - b.t < 44 || !within(b, s.screen) || s.buttons.slice(0, i).some((c) => over(b, c))) {
      problems.push(`a button ${b.r - b.l} x ${b.b - b.t} at ${b.l}, ${b.t}`);
    }
  });
  return problems;
}

test("a_phone_upright_or_on_its_side", async (_, browserNow) => {
  const defaults = fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8");
  for (const [width, height, scale] of [[390, 844, 3], [360, 800, 3], [320, 568, 2], [844, 390, 3], [844, 340, 3]]) {
    const context = await browserNow.newContext({ ...PHONE, viewport: { width, height }, deviceScaleFactor: scale });
    await context.addInitScript((t) => sessionStorage.getItem("seeded") || localStorage.setItem("qel-settings", t) ||
                                       sessionStorage.setItem("seeded", "1"), defaults.replace(/^ni .*$/m, "ni 30"));
    const page = await open(context, `phone-${width}x${height}`);
    const cdp = await context.newCDPSession(page);
    const touch = (type, ...points) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
    const tap = async (x, y) => [await touch("touchStart", [x, y]), await touch("touchEnd"), await settle(page)];
    const drag = async (x, from, to) => {
      await touch("touchStart", [x, from]);
      for (let i = 1; i <= 10; ++i) await touch("touchMove", [x, Math.round(from + ((to - from) * i) / 10)]);
      await touch("touchEnd");
      await settle(page);
    };
    // Every mode at 360 x 800, tapped; elsewhere depth of field and focus stacking (its 30 images).
    for (const mode of width === 360 ? [1, 3, 4, 0, 2] : [0, 2]) {
      await tap(...(await toolbarButton(page, 100, mode)));
      check(setting(await stored(page), "mode") === String(mode), `at ${width} x ${height} a tap did not choose mode ${mode}`);
      const problems = await phoneProblems(page);
      check(problems.length === 0, `at ${width} x ${height} in mode ${mode}: ${problems.slice(0, 6).join("; ")}`);
    }
    if (width === 360) {
      // With fingers: one image fewer, the far line dragged down, the details' lines pushed up.
      await tap(...(await toolbarButton(page, 106, 1)));
      const c = await columns(page), far = (await page.evaluate(() => window.qelRows()))[2], before = await stored(page);
      await drag(Math.round((c.distance.left + c.distance.right) / 2), far, far + 60);
      const lines = () => page.evaluate(() => window.qelTexts().filter((t) => t.t >= window.qelColumns().details.top)
                                                                .map((t) => Number((/^Focus Point (\d+)/.exec(t.text) || [])[1])));
      const shown = await lines();
      await drag(Math.round((c.details.left + c.details.right) / 2), c.details.bottom - 10, c.details.top);
      const [ni, far0, far1, pushed] = [setting(before, "ni"), savedNumber(before, "far_limit"), savedNumber(await stored(page), "far_limit"), await lines()];
      check(ni === "29" && far1 > 0 && far1 < far0 && pushed[0] >= shown[0] + 3,
            `${ni} images after "-"; the far limit dragged from ${far0} to ${far1}; focus point ${pushed[0]} (was ${shown[0]}) after a push`);
      await page.screenshot({ path: path.join(shots, "phone-upright.png") });
    }
    // Two fingers spread apart zoom the page on the toolbars, the details and the aperture scale
    // (which has no zoom, and keeps its value); on the scales that zoom they are the scales' own.
    if (width === 390) {
      const [[x1, y], [x2]] = [await toolbarButton(page, 100, 1), await toolbarButton(page, 100, 3)];
      const c = await columns(page), f = setting(await stored(page), "f_stop"), mid = (r) => [(r.left + r.right) / 2, (r.top + r.bottom) / 2, 1];
      for (const [[x, y0, down], zooms] of [[[width / 2, height / 2, 0], false], [[(x1 + x2) / 2, y, 0], true], [mid(c.aperture), true],
                                            [mid(c.details), true], [mid(c.lens), false]]) {
        for (let i = 0, d = 30; i <= 10; ++i, d += 8) await touch(i ? "touchMove" : "touchStart", [x - d + d * down, y0 - d * down], [x + d - d * down, y0 + d * down]);
        const zoom = await touch("touchEnd").then(() => settle(page)).then(() => page.evaluate(() => window.visualViewport.scale));
        check((zoom > 1.2) === zooms && (await cdp.send("Emulation.setPageScaleFactor", { pageScaleFactor: 1 })), `two fingers at ${x}, ${y0}: ${zoom}x`);
      }
      check(setting(await stored(page), "f_stop") === f, "two fingers on the aperture scale changed it");
    }
    await context.close();
  }
  return null;
});

// Every details line qel-calc shows whole in view on a phone upright: close focus, zero distances, modes.
test("every_details_line_in_view_on_a_phone_upright", async (_, browserNow) => {
  const defaults = fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8");
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "qel-details-")), "Qel.txt");
  for (const values of ["mode 0,focal_length 100,focus_at 500,units 5,snap 0", "focus_at 0,near_limit 0,far_limit 0",
                        "mode 1,focal_length 180,near_limit 380,far_limit 420,snap 0", "mode 3,f_stop 2.8,focus_at 350",
                        "mode 4,fov 12"]) {
    const text = values.split(",").reduce((t, v) => t.replace(new RegExp(`^${v.split(" ")[0]} .*$`, "m"), v), defaults);
    fs.writeFileSync(file, text);
    const expected = execFileSync(qelCalc, ["show", file], { encoding: "utf-8" }).split("\n")
      .filter((l) => l.startsWith("details: ") && l.length > 9).map((l) => l.slice(9));
    for (const [width, height, scale] of [[320, 568, 2], [360, 800, 3], [390, 844, 3], [412, 915, 2.625]]) {
      const context = await browserNow.newContext({ ...PHONE, viewport: { width, height }, deviceScaleFactor: scale });
      await context.addInitScript((t) => localStorage.setItem("qel-settings", t), text);
      const texts = await (await open(context, `details-${width}x${height}`)).evaluate(() => window.qelTexts());
      const caption = texts.find((t) => t.text === "details");
      const whole = texts.filter((t) => t.t > caption.t && t.l >= caption.clip.l && t.clip && t.l >= t.clip.l &&
                                        t.r <= t.clip.r && t.b <= t.clip.b && t.b <= height).map((t) => t.text);
      const missing = expected.filter((l) => !whole.includes(l));
      check(!missing.length, `${values} at ${width} x ${height}: ${JSON.stringify(missing)} not whole in view`);
      await context.close();
    }
  }
  return null;
});

// On a desktop lines and pictures keep to the text: 24 pixels and 1 for every 15 of text, in quarter steps.
test("desktop_lines_and_pictures_keep_to_the_text", async (_, browserNow) => {
  for (const [width, height] of [[1366, 768], [2560, 1440]]) {
    const context = await browserNow.newContext({ viewport: { width, height } });
    const m = await (await open(context, `desktop-${width}`)).evaluate(() => {
      const s = window.qelColumns().lens, c = document.getElementById("scales").getContext("2d");
      const white = (y) => Array.from({ length: 40 }, (_, x) => c.getImageData(s.left + x, y, 1, 1).data.join() === "255,255,255,255");
      const [a, b] = [white(s.top + 9), white(s.bottom - 9)];  // the scale line: white at both
      return [window.qelTextHeight(), document.querySelector(".toolbar canvas").width, a.filter((v, x) => v && b[x]).length];
    });
    const at = (n) => Math.floor((n * Math.min(16, Math.max(4, Math.floor((4 * m[0]) / 15))) + 2) / 4);
    check(m[1] === at(24) && m[2] === at(1), `at ${width} x ${height} (text ${m[0]}): pictures ${m[1]}, lines ${m[2]} pixels`);
    await context.close();
  }
  return null;
});

test("popup_help_after_a_rest", async (context) => {
  const page = await open(context, "help");
  const [x, y] = await toolbarButton(page, 100, 2);
  await page.mouse.move(x, y);
  await page.waitForTimeout(600);
  check(await page.locator("#popup-help").isHidden(), "popup help before a second's rest");
  await page.locator("#popup-help").waitFor({ state: "visible", timeout: 5000 });
  const text = await page.locator("#popup-help").textContent();
  check(text === "Focus stacking mode (Ctrl+3)", `popup help "${text}"`);
  await page.mouse.move(x, y + 200);
  await page.locator("#popup-help").waitFor({ state: "hidden", timeout: 2000 });
  return page;
});

test("installable_with_id_maskable_icon_and_screenshots", async (context) => {
  const page = await open(context, "manifest");
  const cdp = await context.newCDPSession(page);
  const { errors, data } = await cdp.send("Page.getAppManifest");
  check(errors.length === 0, `manifest errors: ${JSON.stringify(errors)}`);
  const manifest = JSON.parse(data);
  check(manifest.id && manifest.icons.some((i) => i.purpose === "maskable") && manifest.screenshots.length > 0,
        "the manifest has no id, no maskable icon or no screenshots");
  // Each picture it names is there, as large as it says.
  const sizes = await page.evaluate((pictures) => Promise.all(pictures.map((p) => new Promise((resolve) => {
    const img = new Image();
    img.onload = () => resolve(`${img.naturalWidth}x${img.naturalHeight}` === p.sizes);
    img.onerror = () => resolve(false);
    img.src = p.src;
  }))), [...manifest.icons, ...manifest.screenshots]);
  check(sizes.every((ok) => ok), "a picture of the manifest is missing or not as large as it says");
  return page;
});

test("offline_after_the_first_visit", async (context) => {
  const page = await open(context, "offline");
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await page.keyboard.press("Control+2");
  await settle(page);
  await page.close();
  await context.setOffline(true);
  const again = await open(context, "offline-again");
  check(setting(await stored(again), "mode") === "1", "the settings did not come back offline");
  const pressed = await again.locator('.toolbar[data-toolbar="100"] button.pressed').count();
  check(pressed === 1, "offline, the toolbars did not load");
  const [, focus] = await again.evaluate(() => window.qelRows());
  check((await distanceLineRow(again, focus, GREEN)) > 40, "offline, the scales were not drawn");
  const manual = await again.evaluate(() => fetch("Qel Quick Start.pdf").then((r) => r.ok));
  check(manual, "offline, the Quick Start is not there");
  return again;
});

test("an_update_keeps_the_next_build_whole", async (context) => {
  const page = await open(context, "update");
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  const css = `${fs.readFileSync(path.join(site, "qel.css"), "utf-8")}\n/* the next build */\n`;
  const worker = fs.readFileSync(path.join(site, "sw.js"), "utf-8").replace(/const CACHE = "([^"]*)"/, 'const CACHE = "$1-next"');
  overrides.set("/qel.css", css);
  overrides.set("/sw.js", worker);
  try {
    await page.reload();
    // The next build takes over and reloads the page (whose evaluations then end with it).
    const taken = () => page.evaluate(() => caches.keys().then((k) => k.length === 1 && k[0].endsWith("-next"))).catch(() => false);
    for (let tries = 0; tries < 100 && !(await taken()); ++tries) await page.waitForTimeout(100);
    await page.waitForFunction(() => window.qelReady === true, null, { timeout: 10000 });
    const kept = await page.evaluate(() => caches.keys().then((k) => caches.open(k[0])).then((c) => c.match("qel.css")).then((r) => r.text()));
    check(kept === css, "the next build's cache holds the last build's qel.css");
  } finally {
    overrides.clear();
  }
  return page;
});

// ---- The field card: its framed cell is what the window shows. -----------------------------------
async function shownDepth(page) {  // near, focus, far, hyperfocal and range, from a frame drawn afresh
  await page.evaluate(() => { window.qelDrawn = []; window.dispatchEvent(new Event("resize")); });
  await page.waitForFunction(() => window.qelDrawn.length > 0 && window.qelSettled());
  const drawn = await page.evaluate(() => window.qelDrawn);
  const under = (name, edge) => {
    const head = drawn.find((t) => t.text === name);
    return drawn.find((t) => t.y > head.y && t.y < head.y + 60 && Math.abs(edge(t) - edge(head)) < 2).text;
  };
  const detail = (label) => drawn.find((t) => t.text.startsWith(label)).text.slice(label.length);
  return [under("near", (t) => t.x), under("distance", (t) => t.x + t.w / 2), under("far", (t) => t.x + t.w),
          detail("Hyperfocal: "), detail("Range: ")].join("|");
}

const framedCell = (frame) => frame.evaluate(() => {
  const [near, far, range] = [...document.querySelector("td.set:not(.label)").children].map((s) => s.textContent);
  const hyperfocal = document.querySelector("table.grid tbody tr").cells[document.querySelector("th.set").cellIndex];
  return [near, document.querySelector("td.label.set").textContent, far, hyperfocal.textContent, range].join("|");
});

test("field_card_from_the_page_also_offline", async (context) => {
  await context.addInitScript(() => {
    window.qelDrawn = [];
    const fill = CanvasRenderingContext2D.prototype.fillText;
    CanvasRenderingContext2D.prototype.fillText = function (text, x, y) {
      if (this.canvas.id === "scales") window.qelDrawn.push({ text, x, y, w: this.measureText(text).width });
      return fill.apply(this, arguments);
    };
  });
  const page = await open(context, "field_card");
  const c = await columns(page);
  await page.mouse.move((c.aperture.left + c.aperture.right) >> 1, (c.aperture.top + c.aperture.bottom) >> 1);
  await page.keyboard.press("ArrowUp");  // f/9.51, between the card's whole stops
  const shown = await shownDepth(page);
  const opened = context.waitForEvent("page");
  await page.keyboard.press("Control+p");
  const card = await opened;
  await card.waitForLoadState();
  check((await framedCell(card)) === shown, `the card frames ${await framedCell(card)}, the window shows ${shown}`);
  const settings = path.join(shots, "field-card-settings.txt");
  fs.writeFileSync(settings, await stored(page));
  const download = card.waitForEvent("download");
  await card.locator(".qel-bar a", { hasText: "Save" }).click();
  check(fs.readFileSync(await (await download).path(), "utf-8") ===
        execFileSync(qelCalc, ["table", settings, "--format", "html"], { encoding: "utf-8" }), "Save gave another card");

  // Offline, from the help menu; where no tab opens (the installed app), over the page.
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await context.setOffline(true);
  await page.reload();
  await page.waitForFunction(() => window.qelReady === true);
  const offline = context.waitForEvent("page");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "Field Card..." }).click();
  const again = await offline;
  await again.waitForLoadState();
  check((await framedCell(again)) === shown, "offline, the card frames another cell");
  await page.evaluate(() => { window.open = () => null; });
  await page.keyboard.press("Control+p");
  await page.frameLocator("#field-card iframe").locator("th.set").waitFor({ timeout: 5000 });
  check((await framedCell(page.frames()[1])) === shown, "over the page, the card frames another cell");
  await page.keyboard.press("Escape");
  check((await page.locator("#field-card").count()) === 0, "Escape left the card over the page");
  return page;
});

// ---- The camera dialog backed out of, the menus by keys, and the page on phones. --------------------
const phone = (browserNow, width, height, scale = 3) => browserNow.newContext({ ...PHONE, viewport: { width, height }, deviceScaleFactor: scale });
const DEFAULTS = fs.readFileSync(path.join(site, "..", "..", "tests", "data", "default_settings.txt"), "utf-8");
const seeded = (context, text) => context.addInitScript((t) => localStorage.getItem("seeded") ||  // once, in the first tab
  [localStorage.setItem("qel-settings", t), localStorage.setItem("seeded", "1")], text);
const rect = (page, selector) => page.locator(selector).first().evaluate((n) => n.getBoundingClientRect().toJSON());
const keys = async (page, ...k) => { for (const key of k) await page.keyboard.press(key, { delay: 30 }); await settle(page); };
const reachable = `(nodes) => nodes.filter((n) => { const r = n.getBoundingClientRect(), hit = document.elementFromPoint(
  (r.left + r.right) / 2, (r.top + r.bottom) / 2); return r.top >= 0 && r.bottom <= innerHeight && n.contains(hit); }).length`;

test("camera_dialog_cancel_and_menus_by_keys", async (context) => {
  const page = await open(context, "cancel");
  const camera = setting(await stored(page), "camera");
  await keys(page, "Control+e");
  await page.locator("#control-4018").fill("650");
  await keys(page, "Enter", "Escape");  // Apply, the dialog staying; Cancel, which asks first
  check((await page.locator("#question-text").textContent()) === "Discard the changes to the cameras?", "Escape did not ask");
  await keys(page, "y", "F10", "ArrowRight", "m", "m", "Enter");  // the camera menu, the units; "m" from "mm" on to "m"
  check(setting(await stored(page), "camera") === camera && setting(await stored(page), "units") === "5", "Cancel, or F10, Right, m, m, Enter");
  await keys(page, "Alt", "Alt+h");  // Alt alone: the camera menu; Alt+H over it the help menu
  check((await page.locator("#menu .item u").allTextContents()).join("") === "AQRFSOv", "the help menu's access letters");
  return page;
});

test("a_small_touch_screen_s_tab_rounds_voice_help_and_field_card", async (_, browserNow) => {
  const context = await phone(browserNow, 320, 568, 2);
  const page = await open(context, "small-phone");
  const stops = [];  // every round of Tab: the four values, then the toolbars
  for (let i = 0; i < 60; ++i) stops.push(await page.keyboard.press("Tab").then(() => page.evaluate(() => document.activeElement.id === "scales" && window.qelFocus())));
  const rounds = stops.map(Number).join(" ").split(/(?: 0)+ ?/).filter((r) => r).slice(0, -1);
  await page.evaluate(() => document.activeElement.blur());
  const before = await page.evaluate(() => window.qelAnnouncements());  // the aperture, ten steps up: said once, settled
  await keys(page, "Tab", "Tab", ..."0123456789".split("").map(() => "ArrowUp"));
  await page.waitForTimeout(1000);
  const [said, aperture, count] = await page.evaluate((n) => [document.getElementById("announce").textContent,
    [...document.querySelectorAll("#readout p")].map((p) => p.textContent).find((t) => t.startsWith("aperture")), window.qelAnnouncements() - n], before);
  const [x, y] = await toolbarButton(page, 101, 1), cdp = await context.newCDPSession(page);  // held: its help, on the screen
  await cdp.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [{ x, y }] });
  const help = await page.waitForTimeout(800).then(() => rect(page, "#popup-help"));
  await cdp.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
  await page.locator('.toolbar[data-toolbar="101"] [data-button="1"]').tap();  // its menu: no keys to press
  const menu = await page.locator("#menu").innerText();
  check(rounds.length >= 2 && rounds.every((r) => r === "1 2 3 7") && count === 1 && said.includes(aperture) && help.left >= 0 &&
        help.right <= 320 && !/Ctrl|Alt|F1/.test(menu), `Tab's rounds ${JSON.stringify(rounds)}; ten steps said ${count} times ` +
        `"${said}" ("${aperture}"); help from ${help.left} to ${help.right}; the menu ${menu}`);
  // The field card: readable at 320 pixels, its grid scrolling under its row labels, Print and Save in
  // reach; printed, one A4 or Letter page.
  const opened = context.waitForEvent("page");
  await page.locator("#menu .item", { hasText: "Field Card..." }).tap();
  const card = await opened;
  const shown = await card.waitForLoadState().then(() => card.evaluate(async (reach) => {
    const grid = document.querySelector("table.grid"), label = grid.querySelector("tbody td.label");
    const small = [...document.querySelectorAll("td, th, td span")].filter((n) => parseFloat(getComputedStyle(n).fontSize) < 12).length;
    [grid.scrollLeft] = [1000, window.scrollTo(0, 2000)];
    await new Promise((resolve) => requestAnimationFrame(resolve));
    return { wide: document.documentElement.scrollWidth > innerWidth, small, scrolled: grid.scrollLeft > 0, labels: label.getBoundingClientRect().left -
             grid.getBoundingClientRect().left, buttons: eval(reach)([...document.querySelectorAll(".qel-bar > *")].filter((b) => b.offsetHeight >= 44)) };
  }, reachable));
  const pages = [await card.pdf({ format: "A4" }), await card.pdf({ format: "Letter" })].map((pdf) => pdf.toString("latin1").match(/\/Type\s*\/Page[^s]/g).length);
  check(!shown.wide && !shown.small && shown.scrolled && shown.labels <= 1 && shown.buttons === 2 && pages.join() === "1,1",
        `the card on a phone: ${JSON.stringify(shown)}, printed on ${pages} A4 and Letter pages`);
  await context.close();
  return null;
});

test("the_camera_dialog_on_large_screens_and_phones", async (_, browserNow) => {
  for (const [width, height] of [[1366, 768], [2560, 1440]]) {  // its text grows with the scales'; the name shows its start
    const context = await browserNow.newContext({ viewport: { width, height } });
    await seeded(context, DEFAULTS.replace("Generic 35mm film camera (Sharp print)", "A long name: ".repeat(9)));
    const page = await open(context, `dialog-${width}`);
    await keys(page, "Control+e");
    const [label, name, text, custom, field, box] = await page.evaluate(() => [parseFloat(getComputedStyle(document.querySelector("#camera-form .label")).fontSize),
      document.getElementById("control-4001").scrollLeft, window.qelTextHeight(), ...["#control-4010", "#control-4009", "#camera-dialog .box"].map((q) => document.querySelector(q).getBoundingClientRect())]);
    check(label / text > 0.35 && box.right <= width && box.bottom <= height && name === 0 && custom.right <= field.left,
          `at ${width}: labels ${label} px by text ${text}; the box to ${box.right}, ${box.bottom}; the name at ${name}`);
    await context.close();
  }
  // A phone on its side: nothing focused until a tap; units beside their fields, apart from the next
  // label; with the on-screen keyboard up, the field and every button in view.
  const context = await phone(browserNow, 844, 390, 2);
  const page = await open(context, "dialog-keyboard");
  await page.locator('.toolbar[data-toolbar="102"] [data-button="0"]').tap();
  await page.locator("#menu .item").first().tap();
  const labels = await page.waitForSelector("#camera-form .label").then(() => page.locator("#camera-form .label").allTextContents());
  const [focused, pixels, print] = [await page.evaluate(() => document.activeElement.tagName),
    await rect(page, '#camera-form .label:text-is("pixels")'), await rect(page, '#camera-form .label:text-is("Print Size")')];
  await page.locator("#control-4018").tap();
  await page.setViewportSize({ width: 844, height: 170 });
  const shown = await settle(page, 500).then(() => page.evaluate(`(${reachable})([document.activeElement, ...document.querySelectorAll("#camera-buttons button")])`));
  check(focused === "BODY" && ["details", "any unit", "same unit"].every((u) => labels.includes(u)) && pixels.right + 4 < print.left && shown === 7,
        `${focused} focused; units ${labels}; "pixels" to ${pixels.right}, "Print Size" from ${print.left}; ${shown} of 7 in view over a keyboard`);
  await context.close();
  return null;
});

test("wheel_inputs_that_change_nothing_and_a_drag_in_two_tabs", async (context) => {
  await seeded(context, DEFAULTS.replace("mode 0", "mode 2").replace(/^ni .*$/m, "ni 100"));
  const page = await open(context, "wheel");
  const c = await columns(page), last = () => page.evaluate(() => window.qelTexts().some((t) => t.text.startsWith("Focus Point 100")));
  const seen = [await last()];  // a stack of 100: the wheel over the details reaches its last focus point
  await page.mouse.move((c.details.left + c.details.right) / 2, (c.details.top + c.details.bottom) / 2);
  for (let i = 0; i < 40 && !(await last()); ++i) await page.mouse.wheel(0, 300);
  seen.push(await last());  // Escape, a click on the aperture's top where f/128 is, the tab hidden: no change, the backup as it was
  const top = () => click(page, (c.aperture.left + c.aperture.right) / 2, c.aperture.top);
  const backup = () => page.evaluate(() => localStorage.getItem("qel-settings-backup"));
  await keys(page, "Control+1");
  const before = await top().then(async () => [await stored(page), await backup()]);
  await keys(page, "Escape");
  await top();
  await page.evaluate(() => Object.defineProperty(document, "hidden", { value: true }) && document.dispatchEvent(new Event("visibilitychange")));
  check(seen.join() === "false,true" && (await stored(page)) === before[0] && (await backup()) === before[1],
        `the 100th focus point in view before and after the wheel: ${seen}; the settings or their backup replaced`);
  // A drag in this tab while another switches to blur mode: both are kept.
  const other = await open(context, "drag-2"), [, focus] = await page.evaluate(() => window.qelRows()), x = (c.distance.left + c.distance.right) / 2;
  await page.mouse.move(x, focus);
  await page.mouse.down();
  await page.mouse.move(x, focus - 40, { steps: 5 });
  await keys(other, "Control+4");
  await page.mouse.move(x, focus - 60, { steps: 5 });
  await page.mouse.up();
  const text = await stored(page);
  check(setting(text, "mode") === "3" && savedNumber(text, "focus_at") !== 1219.2, `after the drag: mode ${setting(text, "mode")}, focus at ${savedNumber(text, "focus_at")}`);
  return page;
});

// ---- Running them. ------------------------------------------------------------------------------
let failed = 0;
for (const c of cases) {
  if (only && !only.includes(c.name)) continue;
  const context = await browser.newContext({ viewport: { width: 1000, height: 700 }, acceptDownloads: true });
  const started = Date.now();
  try {
    const page = await c.body(context, browser);
    if (page) check(page.errors.length === 0, `errors in the page: ${page.errors.join("; ")}`);
    console.log(`web: ok   ${c.name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
  } catch (e) {
    failed += 1;
    console.log(`web: FAIL ${c.name}\n      ${e instanceof Failure ? e.message : e.stack}`);
  } finally {
    await context.close().catch(() => {});
  }
}
await browser.close();
server.close();
console.log(`web: ${failed === 0 ? "all passed" : `${failed} failed`}; screenshots in ${shots}`);
process.exit(failed === 0 ? 0 : 1);
