// The page's speed in the browser that runs it, printed to the console:
// the first surface on screen after the page is opened, a slider dragged on
// a 255 x 255 grid (the time between the page's frames, and from a move to
// its mesh on screen), and a 1.1 MB paste (how long the page's frames stop
// meanwhile, beside the same load on the page's own thread). Medians of RUNS (?runs=N, default 5). Sets window.pageDone.

const runs = Number(new URLSearchParams(location.search).get("runs") || 5);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const spread = (values) => `${Math.min(...values).toFixed(0)} to ${Math.max(...values).toFixed(0)}`;

function openPage() {
    const frame = document.createElement("iframe");
    frame.src = "index.html";
    document.body.append(frame);
    return new Promise((ready, failed) => {
        const poll = () => {
            const view = frame.contentWindow;
            if (view && view.vextalPage)
                ready({frame, view});
            else if (view && view.vextalPageError)
                failed(new Error(view.vextalPageError));
            else
                setTimeout(poll, 10);
        };
        poll();
    });
}

const frame = (view) => new Promise((done) => view.requestAnimationFrame(done));

async function firstSurface() {
    const times = [];
    for (let k = 0; k < runs; ++k) {
        const {frame: element, view} = await openPage();
        while (view.vextalPage.framesDrawn() === 0)
            await frame(view);
        times.push(view.vextalPage.firstFrameTime());
        element.remove();
    }
    console.log(`first surface on screen: median ${median(times).toFixed(0)} ms after opening ` +
                `(${runs} runs: ${spread(times)} ms)`);
}

// Moves coef1's m a little every frame for `frames` frames, as a drag does.
async function sliderDrag(frames) {
    const {frame: element, view} = await openPage();
    const page = view.vextalPage;
    await page.loadScene("\"sss\nslice 255 rotate 255\ncoef1 2 7 7 5 1 1\n" +
                         "coef2 2 2 2 4 0.8 0.24\nrender\n");
    const input = view.document.querySelector('#controls [data-name="coef1 m"]');
    const gaps = [], latencies = [], builds = [];
    const moved = new Map(); // the text's m -> when it was asked for
    let last = await frame(view), hash = page.meshHash();
    for (let k = 1; k <= frames; ++k) {
        const m = 5 + k / 100;
        input.value = String(m);
        moved.set(Math.fround(m), view.performance.now());
        input.dispatchEvent(new view.Event("input", {bubbles: true}));
        const now = await frame(view);
        gaps.push(now - last);
        last = now;
        if (page.meshHash() !== hash) {
            hash = page.meshHash();
            const load = page.lastLoad();
            const m = Math.fround(Number(/coef1 \S+ \S+ \S+ (\S+)/.exec(load.text)[1]));
            const asked = moved.get(m);
            latencies.push(now - asked);
            builds.push(load.buildMilliseconds);
        }
    }
    // The same number of frames turned by the pointer: the drawing alone.
    const canvas = view.document.getElementById("view");
    const pointer = {pointerId: 3, bubbles: true, clientX: 300, clientY: 300, button: 0};
    canvas.dispatchEvent(new view.PointerEvent("pointerdown", pointer));
    const turns = [];
    last = await frame(view);
    for (let k = 1; k <= frames; ++k) {
        canvas.dispatchEvent(new view.PointerEvent("pointermove", {...pointer, clientX: 300 + k}));
        const now = await frame(view);
        turns.push(now - last);
        last = now;
    }
    canvas.dispatchEvent(new view.PointerEvent("pointerup", pointer));
    console.log(`turning the 255 x 255 surface: frame time median ${median(turns).toFixed(1)} ms`);
    console.log(`slider drag at 255 x 255: frame time median ${median(gaps).toFixed(1)} ms ` +
                `(${frames} frames, longest ${Math.max(...gaps).toFixed(0)} ms); ` +
                `${latencies.length} meshes shown, a move on screen after a median ` +
                `${median(latencies).toFixed(0)} ms, built in the worker in a median ` +
                `${median(builds).toFixed(0)} ms`);
    element.remove();
}

async function paste() {
    const {frame: element, view} = await openPage();
    const page = view.vextalPage;
    const text = "\"sss\n" + "\x01\x7f wave ".repeat(140000) + "render\n";
    const refused = [], longest = [];
    for (let k = 0; k < runs; ++k) {
        let worst = 0, before = await frame(view), running = true;
        const watch = (now) => {
            worst = Math.max(worst, now - before);
            before = now;
            if (running)
                view.requestAnimationFrame(watch);
        };
        view.requestAnimationFrame(watch);
        const start = performance.now();
        await page.loadText(text);
        refused.push(performance.now() - start);
        await frame(view);
        running = false;
        longest.push(worst);
    }
    // The same load on this page's own thread: how long the page would
    // stop without the worker.
    const {default: loadGeometry} = await import("./vextal-geometry.mjs");
    const module = await loadGeometry();
    const blocked = [];
    for (let k = 0; k < runs; ++k) {
        const start = performance.now();
        module.buildView(text.slice(0, (1 << 20) + 1), "plain");
        blocked.push(performance.now() - start);
    }
    console.log(`1.1 MB paste on the page's own thread: a median ${median(blocked).toFixed(0)} ms ` +
                `(${spread(blocked)} ms) without a frame`);
    console.log(`1.1 MB paste: refused after a median ${median(refused).toFixed(0)} ms ` +
                `(${spread(refused)} ms), the page's longest frame meanwhile a median ` +
                `${median(longest).toFixed(0)} ms (${spread(longest)} ms)`);
    element.remove();
}

firstSurface().then(() => sliderDrag(50)).then(paste).then(
    () => { window.pageDone = true; }, (error) => { window.pageError = error.message; });
