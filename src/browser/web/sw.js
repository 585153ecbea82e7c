// The studio's own files, kept for use offline under a cache named by their version, which
// tools/web_app.mjs writes below as a hash of every file: a new build is a new cache. A new
// version waits until the studio is next started, and then drops the caches before it. Only the
// app's files are answered; the game's files never pass here (the page hands them to its Worker
// as File objects), nor do the pictures, which are blob: URLs.
"use strict";

const Version = "unbuilt";
const Files = [];
const Cache = "pelto-" + Version;
// Fetched only when first needed (the font of name tags), then kept with the others.
const Later = ["ipag.ttf"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(Cache).then((cache) =>
    cache.addAll(Files.map((file) => new Request(file, { cache: "reload" })))));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith("pelto-") && name !== Cache)
    .map((name) => caches.delete(name)))));
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (request.method !== "GET" || url.origin !== scope.origin ||
      !url.pathname.startsWith(scope.pathname))
    return;
  const name = url.pathname.slice(scope.pathname.length) || "index.html";
  if (Later.includes(name)) {
    event.respondWith(caches.open(Cache).then((cache) => cache.match(name).then((kept) =>
      kept || fetch(request).then((response) => {
        if (response.ok)
          cache.put(name, response.clone());
        return response;
      }))));
    return;
  }
  if (!Files.includes(name))
    return;
  event.respondWith(caches.open(Cache)
    .then((cache) => cache.match(name))
    .then((kept) => kept || fetch(request)));
});
