// The page's service worker: on installing, puts the page's own files and
// every example in a cache; afterwards answers each request of the page
// from the network when it can (so a new build is seen at once) and from
// the cache when the network fails, so that the page, the examples and
// their pictures keep working offline once they were loaded.
const cacheName = "vextal-page";
const pageFiles = [
    "./", "index.html", "page.css", "main.js", "geometry.js", "geometry-worker.js",
    "renderer.js", "camera.js", "pointer.js", "scene-editor.js", "fragment.js", "sliders.js",
    "colour-legend.js", "link.js", "downloads.js", "offline.js", "vextal-geometry.mjs",
    "examples/list.json",
];

async function keepPage() {
    const cache = await caches.open(cacheName);
    await cache.addAll(pageFiles);
    const names = await (await cache.match("examples/list.json")).json();
    await cache.addAll(names.map((name) => "examples/" + encodeURIComponent(name)));
}

async function answer(request) {
    const cache = await caches.open(cacheName);
    try {
        const response = await fetch(request);
        if (response.ok)
            await cache.put(request, response.clone());
        return response;
    } catch (failure) {
        // The address's fragment never reaches the cache's keys.
        const kept = await cache.match(request, {ignoreSearch: true});
        if (kept)
            return kept;
        throw failure;
    }
}

self.addEventListener("install", (event) => event.waitUntil(keepPage().then(() => self.skipWaiting())));
self.addEventListener("activate", (event) => event.waitUntil(self.clients.claim()));
self.addEventListener("fetch", (event) => {
    const url = new URL(event.request.url);
    if (event.request.method === "GET" && url.origin === self.location.origin)
        event.respondWith(answer(event.request));
});
