// Keeps every file of the site for offline use: served from the cache first, fetched (and kept)
// when missing. A new build has a new cache name; the old caches are dropped when it takes over.
// Its files are fetched past the browser's HTTP cache, which could still hold the last build's:
// a cache is one build's files, never a mix.
"use strict";

const CACHE = "@QEL_CACHE@";
const FILES = @QEL_FILES@;

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES.map((name) => new Request(name, { cache: "reload" })))).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith("qel-") && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(
    caches.open(CACHE).then((cache) =>
      cache.match(event.request, { ignoreSearch: true }).then((hit) => hit || fetch(event.request).then((response) => {
        if (response.ok && new URL(event.request.url).origin === self.location.origin) cache.put(event.request, response.clone());
        return response;
      }))));
});
