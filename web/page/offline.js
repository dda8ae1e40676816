// Keeps the page working without a network once it has loaded: the page's
// files, its module and every example are kept in the browser's cache by a
// service worker (service-worker.js). Where service workers are not
// offered (a file:// page, an insecure host) the page works as before.
export function keepForOffline() {
    if (!("serviceWorker" in navigator))
        return Promise.resolve(false);
    return navigator.serviceWorker.register("service-worker.js").then(
        () => true,
        () => false);
}
