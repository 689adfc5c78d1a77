// The web version's figures for the README (measurements, not tests), in Debian's headless Chromium:
// - the bytes of the code a visit needs (gzip-compressed; manuals and the whole font aside);
// - the first painted frame on a slow mobile link (1.6 Mbit/s, 300 ms latency, by the browser's
//   network emulation) from a server that compresses nothing, the bytes before it, and the toolbars' pictures;
// - a drag move (the core's move, the repaint and the canvas drawn) at 390 x 844 at 3x with the
//   processor slowed down four times (a mid-range phone) and at 1920 x 1080: median and 90th
//   percentile; and the time between the frames of a drag driven by pointer events.
//
//     node bench.mjs --site build/web
import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import zlib from "node:zlib";

const site = path.resolve(process.argv[process.argv.indexOf("--site") + 1]);
const code = ["qel.wasm", "qel-app.js", "index.html", "qel.css", "sw.js", "manifest.webmanifest", "camera-dialog.json",
              "fonts/Carlito-Qel.woff2", "field_card.js"];
let total = 0;
for (const name of code) total += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length;
console.log(`bench: code ${(total / 1024).toFixed(1)} KB gzip-compressed (${code.join(", ")})`);

const TYPES = { ".wasm": "application/wasm", ".js": "text/javascript", ".html": "text/html", ".css": "text/css",
                ".json": "application/json", ".png": "image/png", ".woff2": "font/woff2", ".webmanifest": "application/manifest+json" };
const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  if (name.endsWith("/")) name += "index.html";
  fs.readFile(path.join(site, path.normalize(name)), (error, data) => {
    if (error) { response.writeHead(404); response.end(); return; }
    response.writeHead(200, { "content-type": TYPES[path.extname(name)] || "application/octet-stream" });
    response.end(data);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update", "--disable-dev-shm-usage"],
});
const percentile = (values, p) => values.slice().sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(p * values.length))];

// First frame on a slow link, three loads (each with an empty cache).
const firsts = [], pictures = [];
let before = 0;
for (let run = 0; run < 3; ++run) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send("Network.enable");
  await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 300, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 });
  const finished = [];  // the bytes each chunk of a response brought, finished or not
  cdp.on("Network.dataReceived", (e) => finished.push({ time: Date.now(), bytes: e.encodedDataLength }));
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => window.qelReady === true && window.qelFirstPaint() > 0, null, { timeout: 60000 });
  const first = await page.evaluate(() => window.qelFirstPaint());
  firsts.push(first);
  before = finished.filter((f) => f.time <= started + first).reduce((sum, f) => sum + f.bytes, 0);
  await page.waitForFunction(() => [...document.querySelectorAll(".toolbar img")].every((i) => i.complete), null, { timeout: 60000 });
  pictures.push(await page.evaluate(() => Math.max(...performance.getEntriesByType("resource").filter((e) => e.name.includes("/pictures/")).map((e) => e.responseEnd))));
  await context.close();
}
console.log(`bench: first painted frame at 1.6 Mbit/s, 300 ms, a server that compresses nothing: ${firsts.map((f) => f.toFixed(0)).join(", ")} ms; ` +
            `${(before / 1024).toFixed(1)} KB fetched before it; toolbar pictures there at ${pictures.map((p) => p.toFixed(0)).join(", ")} ms`);

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
server.close();
