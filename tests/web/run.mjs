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
import path from "node:path";

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
const site = path.resolve(option("--site", "build/web"));
const qelCalc = path.resolve(option("--qel-calc", "build/native/tools/qel-calc"));
const shots = option("--shots", fs.mkdtempSync(path.join(os.tmpdir(), "qel-web-")));
const only = args.includes("--only") ? args.slice(args.indexOf("--only") + 1).filter((a) => !a.startsWith("--")) : null;

// ---- A static server for the site. -------------------------------------------------------------
const TYPES = {
  ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".png": "image/png", ".json": "application/json", ".ttf": "font/ttf",
  ".pdf": "application/pdf", ".webmanifest": "application/manifest+json",
};
const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  if (name.endsWith("/")) name += "index.html";
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
    response.writeHead(200, { "content-type": TYPES[path.extname(file)] || "application/octet-stream" });
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
  const box = await page.locator(`.toolbar[data-toolbar="${toolbar}"] img`).nth(index).boundingBox();
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
const cases = [];
const test = (name, body) => cases.push({ name, body });

// ---- Cases. -------------------------------------------------------------------------------------
test("first_start", async (context) => {
  const page = await open(context, "first_start");
  check((await page.title()) === "Qel 4.22 - Settings: Generic 35mm film camera (Sharp print)",
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

test("modes_by_buttons_and_keys", async (context) => {
  const page = await open(context, "modes");
  for (const mode of [1, 2, 3, 4]) {
    await click(page, ...(await toolbarButton(page, 100, mode)));
    const pressed = await page.locator('.toolbar[data-toolbar="100"] img.pressed').count();
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

test("two_fingers_zoom_a_column", async (_, browserNow) => {
  const context = await browserNow.newContext({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const page = await open(context, "two-fingers");
  const c = await columns(page);
  const x = Math.round((c.blur.left + c.blur.right) / 2);
  const y = Math.round((c.blur.top + c.blur.bottom) / 2);
  const before = savedNumber(await stored(page), "blur_zoom");
  const cdp = await context.newCDPSession(page);
  const fingers = (type, dy) => cdp.send("Input.dispatchTouchEvent", {
    type, touchPoints: type === "touchEnd" ? [] : [{ x: x - 6, y: y + dy, id: 1 }, { x: x + 6, y: y + dy, id: 2 }] });
  await fingers("touchStart", 0);
  for (let i = 1; i <= 10; ++i) await fingers("touchMove", 6 * i);
  await fingers("touchEnd", 0);
  await settle(page);
  const after = savedNumber(await stored(page), "blur_zoom");
  check(after > before,
        `two fingers moved down the blur column left blur_zoom at ${after} (was ${before})`);
  check(setting(await stored(page), "blur_threshold") === "1.00000", "two fingers set the allowed blur as one would");
  await context.close();
  return null;
});

test("about_and_the_manuals", async (context) => {
  const page = await open(context, "about");
  await click(page, ...(await toolbarButton(page, 101, 1)));
  await page.locator("#menu .item", { hasText: "About Qel" }).click();
  check(await page.locator("#about").isVisible(), "no About box");
  check((await page.locator("#about").textContent()).includes("Qel 4.22"), "the About box has no version");
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
  await page.locator("#camera-close").click();
  await settle(page);
  check(await page.locator("#camera-dialog").isHidden(), "the dialog stayed open");
  check((await page.title()) === "Qel 4.22 - Settings: Field camera", `title ${await page.title()}`);
  check(setting(await stored(page), "ncameras").startsWith("2 "), "the new camera was not stored");
  await page.reload();
  await page.waitForFunction(() => window.qelReady === true);
  check((await page.title()) === "Qel 4.22 - Settings: Field camera", `after a reload: ${await page.title()}`);
  return page;
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
  check((await page.title()) === "Qel 4.22 - Settings: Body 0999", `title ${await page.title()}`);
  return page;
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

test("offline_after_the_first_visit", async (context) => {
  const page = await open(context, "offline");
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await page.keyboard.press("Control+2");
  await settle(page);
  await page.close();
  await context.setOffline(true);
  const again = await open(context, "offline-again");
  check(setting(await stored(again), "mode") === "1", "the settings did not come back offline");
  const pressed = await again.locator('.toolbar[data-toolbar="100"] img.pressed').count();
  check(pressed === 1, "offline, the toolbars did not load");
  const [, focus] = await again.evaluate(() => window.qelRows());
  check((await distanceLineRow(again, focus, GREEN)) > 40, "offline, the scales were not drawn");
  const manual = await again.evaluate(() => fetch("Qel Quick Start.pdf").then((r) => r.ok));
  check(manual, "offline, the Quick Start is not there");
  return again;
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
