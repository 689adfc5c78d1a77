// The web version's figures for the README (measurements, not tests), in Debian's headless Chromium:
// - the bytes of the code a visit needs (gzip-compressed; manuals and the whole font aside);
// - the first painted frame on a slow mobile link (1.6 Mbit/s, 300 ms latency, by the browser's
//   network emulation) from a static server that compresses nothing (as python's http.server and
//   many static hosts) and from one that sends the site's precompressed files, and the bytes
//   fetched before it; and when the toolbars' pictures are all there;
// - a drag move (the core's move, the repaint and the canvas drawn) at 390 x 844 at 3x with the
//   processor slowed down four times (a mid-range phone) and at 1920 x 1080: median and 90th
//   percentile; and the time between the frames of a drag driven by pointer events.
//
//     node bench.mjs --site build/web
import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";

const site = path.resolve(process.argv[process.argv.indexOf("--site") + 1]);
const code = ["qel.wasm", "qel-app.js", "index.html", "qel.css", "sw.js", "manifest.webmanifest", "camera-dialog.json",
              "fonts/Carlito-Qel.woff2", "field_card.js"];
let total = 0;
for (const name of code) total += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length;
console.log(`bench: code ${(total / 1024).toFixed(1)} KB gzip-compressed (${code.join(", ")})`);
console.log(`bench: machine load ${os.loadavg().map((l) => l.toFixed(1)).join(", ")} (1, 5, 15 minutes), ${os.cpus().length} cores`);

const TYPES = { ".wasm": "application/wasm", ".js": "text/javascript", ".html": "text/html", ".css": "text/css",
                ".json": "application/json", ".png": "image/png", ".woff2": "font/woff2", ".webmanifest": "application/manifest+json" };
// Two static servers of the site: one sends every file as it is; the other, where the browser takes
// gzip, sends a file's precompressed NAME.gz beside it instead (as scripts/serve_web.py does).
const serve = (precompressed) => http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  if (name.endsWith("/")) name += "index.html";
  const file = path.join(site, path.normalize(name));
  const packed = precompressed && /gzip/.test(request.headers["accept-encoding"] || "") && fs.existsSync(`${file}.gz`);
  fs.readFile(packed ? `${file}.gz` : file, (error, data) => {
    if (error) { response.writeHead(404); response.end(); return; }
    const type = TYPES[path.extname(name)] || "application/octet-stream";
    response.writeHead(200, { "content-type": type, ...(packed ? { "content-encoding": "gzip" } : {}) });
    response.end(data);
  });
});
const servers = [serve(false), serve(true)];
for (const s of servers) await new Promise((resolve) => s.listen(0, "127.0.0.1", resolve));
const [url, precompressedUrl] = servers.map((s) => `http://127.0.0.1:${s.address().port}/`);
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update", "--disable-dev-shm-usage"],
});
const percentile = (values, p) => values.slice().sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(p * values.length))];

// First frame on a slow link, three loads from each server (each with an empty cache): when it was
// painted, the bytes that had come by then (what a request had received, finished or not), and
// when the last toolbar picture had come.
for (const [server, address] of [["a server that compresses nothing", url], ["a server of precompressed files", precompressedUrl]]) {
  const firsts = [], befores = [], pictures = [];
  for (let run = 0; run < 3; ++run) {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send("Network.enable");
    await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 300, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 });
    const received = [];
    cdp.on("Network.dataReceived", (e) => received.push({ time: Date.now(), bytes: e.encodedDataLength }));
    cdp.on("Network.responseReceived", (e) => received.push({ time: Date.now(), bytes: e.response.encodedDataLength || 0 }));
    const started = Date.now();
    await page.goto(address);
    await page.waitForFunction(() => window.qelReady === true && window.qelFirstPaint() > 0, null, { timeout: 60000 });
    const first = await page.evaluate(() => window.qelFirstPaint());
    await page.waitForFunction(() => [...document.querySelectorAll(".toolbar img")].every((i) => i.complete), null, { timeout: 60000 });
    pictures.push(await page.evaluate(() => Math.max(...performance.getEntriesByType("resource")
      .filter((e) => e.name.includes("/pictures/")).map((e) => e.responseEnd))));
    firsts.push(first);
    befores.push(received.filter((r) => r.time <= started + first).reduce((sum, r) => sum + r.bytes, 0));
    await context.close();
  }
  console.log(`bench: first painted frame at 1.6 Mbit/s, 300 ms, from ${server}: ${firsts.map((f) => f.toFixed(0)).join(", ")} ms; ` +
              `${befores.map((b) => (b / 1024).toFixed(1)).join(", ")} KB fetched before it; the toolbars' pictures all there at ` +
              `${pictures.map((p) => p.toFixed(0)).join(", ")} ms`);
}

// Drag moves: each move of the focus line, the repaint, and the canvas's drawing finished.
for (const [width, height, scale, slowdown] of [[390, 844, 3, 4], [1920, 1080, 1, 1]]) {
  const phone = width < height;  // a phone held upright, with its touch screen
  const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: scale, isMobile: phone, hasTouch: phone });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.qelReady === true);
  const cdp = await context.newCDPSession(page);
  await cdp.send("Emulation.setCPUThrottlingRate", { rate: slowdown });
  await page.evaluate(() => window.qelDragMoves(60));  // the JavaScript engine settles
  const moves = await page.evaluate(() => window.qelDragMoves(300));
  console.log(`bench: drag move at ${width} x ${height} x ${scale}, processor ${slowdown}x slower: ` +
              `median ${percentile(moves, 0.5).toFixed(2)} ms, 90th percentile ${percentile(moves, 0.9).toFixed(2)} ms`);
  // A drag as the browser runs it: a pointer move before each frame, the time between frames.
  const frames = await page.evaluate(() => new Promise((resolve) => {
    const canvas = document.getElementById("scales"), box = canvas.getBoundingClientRect();
    const c = window.qelColumns().distance, from = window.qelRows()[1];
    const pointer = (type, y) => canvas.dispatchEvent(new PointerEvent(type, {
      pointerId: 1, pointerType: "mouse", button: 0, buttons: 1, bubbles: true,
      clientX: box.left + ((c.left + c.right) >> 1), clientY: box.top + y }));
    const times = [];
    let last = 0;
    pointer("pointerdown", from);
    const frame = (now) => {
      if (last) times.push(now - last);
      last = now;
      if (times.length === 200) {
        pointer("pointerup", from);
        resolve(times);
        return;
      }
      pointer("pointermove", from - (times.length % 60) * 2);
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  }));
  console.log(`bench: frames of a drag at ${width} x ${height} x ${scale}, processor ${slowdown}x slower: ` +
              `median ${percentile(frames, 0.5).toFixed(1)} ms apart, 90th percentile ${percentile(frames, 0.9).toFixed(1)} ms`);
  await context.close();
}
await browser.close();
for (const s of servers) s.close();
