// The web version's figures for the README (measurements, not tests): the bytes a first visit
// downloads (gzip-compressed; fonts, pictures and manuals aside), the time from navigation to the
// first painted frame, and the mean time of a drag move (the core's move and a full repaint) at
// 1920 x 1080 device pixels, in Debian's headless Chromium.
//
//     node bench.mjs --site build/web
import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import zlib from "node:zlib";

const site = path.resolve(process.argv[process.argv.indexOf("--site") + 1]);
const code = ["qel.wasm", "qel.js", "page.js", "field_card.js", "index.html", "qel.css", "sw.js", "manifest.webmanifest", "camera-dialog.json"];
let total = 0;
for (const name of code) total += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length;
console.log(`bench: code ${(total / 1024).toFixed(1)} KB gzip-compressed (${code.join(", ")})`);

const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
  if (name.endsWith("/")) name += "index.html";
  fs.readFile(path.join(site, path.normalize(name)), (error, data) => {
    if (error) { response.writeHead(404); response.end(); return; }
    const types = { ".wasm": "application/wasm", ".js": "text/javascript", ".html": "text/html", ".css": "text/css" };
    response.writeHead(200, { "content-type": types[path.extname(name)] || "application/octet-stream" });
    response.end(data);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update", "--disable-dev-shm-usage"],
});
const starts = [];
let move = 0;
for (let run = 0; run < 5; ++run) {
  const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => window.qelReady === true && window.qelFirstPaint() > 0);
  starts.push(await page.evaluate(() => window.qelFirstPaint()));
  // The mean over 300 moves after 100 that let the JavaScript engine settle, as in a real drag.
  if (run === 4) move = await page.evaluate(() => (window.qelDragMoveTime(100), window.qelDragMoveTime(300)));
  await context.close();
}
starts.sort((a, b) => a - b);
console.log(`bench: first painted frame ${starts[2].toFixed(0)} ms after navigation (median of 5; ${starts.map((s) => s.toFixed(0)).join(", ")})`);
console.log(`bench: drag move with a full repaint at 1920 x 1080: ${move.toFixed(2)} ms`);
await browser.close();
server.close();
