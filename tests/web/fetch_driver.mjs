// Puts the test driver, playwright-core, into tests/web/node_modules exactly as package-lock.json
// pins it: fetched from the npm registry and checked against the lockfile's sha512 integrity. No
// npm is needed, only Node.js (Debian's npm package would bring some 300 packages of its own). The
// download trusts the system's certificate authorities as well as Node's (a proxy's own authority,
// installed in the system, is trusted as apt and curl trust it); behind a proxy set in https_proxy,
// or when Node.js cannot reach the registry, curl fetches it. Where no authority trusted here vouches
// for the registry's certificate (a new machine behind a proxy whose own authority it does not hold
// yet), the tarball is fetched without that check: its sha512 from the lockfile vouches for it
// instead, as it would for a copy from anywhere. Does nothing when that version is already there.
import { execFileSync } from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import https from "node:https";
import os from "node:os";
import path from "node:path";
import tls from "node:tls";

const here = path.dirname(new URL(import.meta.url).pathname);
const lock = JSON.parse(fs.readFileSync(path.join(here, "package-lock.json"), "utf-8"));
const entry = lock.packages["node_modules/playwright-core"];
const target = path.join(here, "node_modules", "playwright-core");
const installed = path.join(target, "package.json");
if (fs.existsSync(installed) && JSON.parse(fs.readFileSync(installed, "utf-8")).version === entry.version) process.exit(0);

const url = entry.resolved || `https://registry.npmjs.org/playwright-core/-/playwright-core-${entry.version}.tgz`;
const systemAuthorities = "/etc/ssl/certs/ca-certificates.crt";
const ca = [...tls.rootCertificates, ...(fs.existsSync(systemAuthorities) ? [fs.readFileSync(systemAuthorities, "utf-8")] : [])];
const get = (address, verify = true) => new Promise((resolve, reject) => {
  https.get(address, { ca, rejectUnauthorized: verify, timeout: 60000 }, (response) => {
    if (response.statusCode >= 300 && response.statusCode < 400 && response.headers.location) {
      response.resume();
      resolve(get(new URL(response.headers.location, address).toString(), verify));
      return;
    }
    if (response.statusCode !== 200) {
      reject(new Error(`${address}: HTTP ${response.statusCode}`));
      return;
    }
    const parts = [];
    response.on("data", (d) => parts.push(d));
    response.on("end", () => resolve(Buffer.concat(parts)));
  }).on("error", reject).on("timeout", function () { this.destroy(new Error(`${address}: no answer`)); });
});
const curl = (verify = true) =>
  execFileSync("curl", ["-fsSL", "--retry", "3", ...(verify ? [] : ["--insecure"]), url], { maxBuffer: 64 << 20 });
const untrusted = (error) => /certificate|CERT|SSL/.test(`${error.code} ${error.message} ${error.stderr || ""}`);

let tarball;
try {
  tarball = process.env.https_proxy || process.env.HTTPS_PROXY ? curl() : await get(url);
} catch (error) {
  console.error(`fetch_driver: ${error.message.split("\n")[0]}; trying curl`);
  try {
    tarball = curl();
  } catch (again) {
    if (!untrusted(error) && !untrusted(again)) throw again;
    console.error("fetch_driver: no authority here vouches for the registry's certificate; " +
                  "fetched without it, the lockfile's sha512 vouches for the tarball");
    tarball = process.env.https_proxy || process.env.HTTPS_PROXY ? curl(false) : await get(url, false);
  }
}
const digest = `sha512-${crypto.createHash("sha512").update(tarball).digest("base64")}`;
if (digest !== entry.integrity) {
  console.error(`fetch_driver: playwright-core ${entry.version} does not match the lockfile's integrity`);
  process.exit(1);
}
const file = path.join(os.tmpdir(), `playwright-core-${entry.version}-${process.pid}.tgz`);
fs.writeFileSync(file, tarball);
fs.rmSync(target, { recursive: true, force: true });
fs.mkdirSync(target, { recursive: true });
execFileSync("tar", ["-xzf", file, "-C", target, "--strip-components=1"]);
fs.rmSync(file);
console.log(`fetch_driver: playwright-core ${entry.version} in ${target}`);
