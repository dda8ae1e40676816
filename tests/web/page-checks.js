// Drives the page in frames of its own: it draws an example, prints each
// example's mesh hash ("hash NAME HASH", compared with the desktop's by the
// script), shows a broken scene's error and keeps the last surface, runs
// no script handed in the address, edits the scene with its sliders, and
// hands the same surface and view to a fresh page by its link. Leaves a
// coloured canvas in window.pagePictures for the script to compare. Ends
// with window.pageDone or pageError.

function frameReady(frame) {
    return new Promise((ready, failed) => {
        const started = Date.now();
        const poll = () => {
            const view = frame.contentWindow;
            if (view && view.vextalPage)
                ready(view);
            else if (view && view.vextalPageError)
                failed(new Error("the page failed: " + view.vextalPageError));
            else if (Date.now() - started > 30000)
                failed(new Error("the page did not start within 30 s"));
            else
                setTimeout(poll, 50);
        };
        poll();
    });
}

function nextFrames(view) {
    return new Promise((done) => view.requestAnimationFrame(() => view.requestAnimationFrame(done)));
}

// Resolves once condition() holds, polled each 20 ms for at most 20 s.
function until(condition, what) {
    return new Promise((done, failed) => {
        const started = Date.now();
        const poll = () => {
            if (condition())
                done();
            else if (Date.now() - started > 20000)
                failed(new Error(what));
            else
                setTimeout(poll, 20);
        };
        poll();
    });
}

// The longest time between two of the page's frames while `work` runs.
async function longestFrame(view, work) {
    let longest = 0, last = performance.now(), running = true;
    const frame = () => {
        const now = performance.now();
        longest = Math.max(longest, now - last);
        last = now;
        if (running)
            view.requestAnimationFrame(frame);
    };
    view.requestAnimationFrame(frame);
    const result = await work();
    await nextFrames(view);
    running = false;
    return {result, longest};
}

function check(condition, what) {
    if (!condition)
        throw new Error(what);
}

// The share of the canvas that is not background.
function litShare(view) {
    const canvas = view.document.getElementById("view");
    const copy = document.createElement("canvas");
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
    let lit = 0;
    for (let k = 0; k < pixels.length; k += 4)
        lit += pixels[k] + pixels[k + 1] + pixels[k + 2] > 30 ? 1 : 0;
    return lit / (pixels.length / 4);
}

function openFrame(src) {
    const frame = document.createElement("iframe");
    frame.src = src;
    frame.style.height = "100px";
    document.body.append(frame);
    return frame;
}

async function checks() {
    const view = await frameReady(document.getElementById("page"));
    const page = view.vextalPage;
    await nextFrames(view);
    check(page.framesDrawn() > 0, "the first surface was never drawn");
    const share = litShare(view);
    console.log(`first surface drawn ${page.firstFrameTime().toFixed(0)} ms after the page was opened`);
    console.log(`first surface covers ${(100 * share).toFixed(1)} % of the canvas`);
    check(share > 0.05 && share < 0.9, "the first surface does not look drawn");

    const names = await (await fetch("examples/list.json")).json();
    for (const name of names) {
        const result = await page.loadScene(await (await fetch("examples/" + name)).text());
        check(result.loaded, `${name} did not load: ${result.error}`);
        console.log(`hash ${name} ${result.hash}`);
    }

    const kept = page.meshHash();
    const broken = await page.loadScene("sss\nslice 64\ncoef1 2 x\nrender\n");
    const status = view.document.getElementById("status").textContent;
    check(!broken.loaded && broken.line === 3, "the broken scene did not stop at line 3");
    check(status.startsWith("scene:3: coef1 needs 6 values; 'x' is not a number"),
          "the broken scene's error reads: " + status);
    check(page.meshHash() === kept, "the broken scene replaced the last good surface");
    await nextFrames(view);
    check(litShare(view) > 0.05, "the last good surface is no longer drawn");

    // Megabytes of text with control bytes (the box itself takes no more
    // than a scene's 1 MiB): read as far as a file is.
    // The page goes on drawing meanwhile: the geometry has a thread of its own.
    const pasteStart = performance.now();
    const {result: flooded, longest} = await longestFrame(
        view, () => page.loadText("\"sss\n" + "\x01\x7f wave ".repeat(140000) + "render\n"));
    check(!flooded.loaded && /1 MiB/.test(flooded.error),
          "a paste past 1 MiB was not stopped there: " + flooded.error);
    check(page.meshHash() === kept, "the long paste replaced the last good surface");
    console.log(`a 1.1 MB paste refused in ${(performance.now() - pasteStart).toFixed(0)} ms, ` +
                `the page's longest frame meanwhile ${longest.toFixed(0)} ms`);
    const starfish = await (await fetch("examples/starfish.vextal")).text();
    await page.loadScene(starfish);

    // Script text in the address: put in the box as text, never run.
    window.hostileRan = false;
    const script = "<img src=x onerror=\"parent.hostileRan=true\"><script>parent.hostileRan=true</script>";
    const hostile = openFrame("index.html#scene=" + encodeURIComponent(script));
    const hostileView = await frameReady(hostile);
    check(hostileView.document.getElementById("scene").value === script,
          "the address's text is not in the box as it was");
    check(!hostileView.vextalPage.lastLoad().loaded, "script text loaded as a scene");
    // Megabytes after the "#" that are no scene: the page starts as usual.
    const flood = openFrame("index.html#" + script + "A".repeat(1500000));
    const floodView = await frameReady(flood);
    check(floodView.vextalPage.meshHash() !== null, "a long fragment kept the page from starting");
    await new Promise((done) => setTimeout(done, 200));
    check(window.hostileRan === false, "a script from the address ran");

    // A drag turns the surface and the wheel brings it nearer.
    await nextFrames(floodView);
    const canvas = floodView.document.getElementById("view");
    const before = litShare(floodView);
    const pointer = {pointerId: 7, bubbles: true, clientX: 300, clientY: 300, button: 0};
    canvas.dispatchEvent(new floodView.PointerEvent("pointerdown", pointer));
    canvas.dispatchEvent(new floodView.PointerEvent("pointermove", {...pointer, clientY: 550}));
    canvas.dispatchEvent(new floodView.PointerEvent("pointerup", {...pointer, clientY: 550}));
    await nextFrames(floodView);
    const turned = litShare(floodView);
    check(turned < 0.5 * before, `a drag did not turn the surface edge-on (${before} to ${turned})`);
    canvas.dispatchEvent(new floodView.WheelEvent("wheel", {deltaY: -300, bubbles: true, cancelable: true}));
    await nextFrames(floodView);
    check(litShare(floodView) > 1.2 * turned, "the wheel did not bring the surface nearer");
    hostile.remove();
    flood.remove();

    await pictureOpensExample(view);
    await latestRequestWins();
    await slidersWriteTheScene(view);
    await colouredPicture(view, starfish);
    await linkRoundTrip();
    await page.loadScene(starfish);
    await nextFrames(view);
}

// A picture in the gallery opens its example.
async function pictureOpensExample(view) {
    const page = view.vextalPage;
    const dini = (await page.loadText(await (await fetch("examples/typed-dini.vextal")).text())).hash;
    await page.loadScene(await (await fetch("examples/starfish.vextal")).text());
    view.document.querySelector('#thumbnails button[title="typed-dini"]').click();
    await until(() => page.meshHash() === dini, "the picture did not open its example");
    check(view.document.getElementById("examples").value === "typed-dini.vextal",
          "the gallery's list does not name the example opened");
}

// Requests made while a build is under way: only the latest is built.
async function latestRequestWins() {
    const {startGeometry} = await import("./geometry.js");
    const geometry = await startGeometry();
    const scene = (slices) => `"sss\nslice ${slices} rotate 64\nrender\n`;
    const answers = await Promise.all([10, 20, 30].map((n) => geometry.build(scene(n), "plain")));
    check(answers[0].loaded && answers[1].stale && answers[2].text === scene(30),
          "a request overtaken by a newer one was built: " + JSON.stringify(answers.map((a) => a.text)));
}

// Moves a slider as a pointer does.
function slide(view, name, value) {
    const input = view.document.querySelector(`#controls [data-name="${name}"]`);
    check(input !== null, `no slider for ${name}`);
    input.value = String(value);
    input.dispatchEvent(new view.Event("input", {bubbles: true}));
}

// A slider's value reaches the box as the scene writer writes it, and the
// surface drawn is the one that text loads; so for a typed surface's
// parameter.
async function slidersWriteTheScene(view) {
    const page = view.vextalPage;
    const box = view.document.getElementById("scene");
    await page.loadScene(await (await fetch("examples/starfish.vextal")).text());
    // Moves faster than the meshes are built: the latest values win.
    for (const slices of [30, 35, 40])
        slide(view, "slice", slices);
    slide(view, "coef1 m", 3);
    await until(() => box.value.includes("coef1 2 7 7 3 1 1\n"), "the sliders' text never came");
    check(box.value.startsWith("\"sss\nslice 40\nrotate 240\nclose\n") && box.value.endsWith("render\n"),
          "the sliders' text is not the scene writer's: " + JSON.stringify(box.value));
    const slid = page.meshHash();
    check((await page.loadText(box.value)).hash === slid, "the box's text is not the surface drawn");
    await page.loadScene(await (await fetch("examples/typed-torus.vextal")).text());
    slide(view, "R", 1.5);
    await until(() => box.value.includes("param R 1.5 0.5 2\n"), "the parameter never reached the text");
    check((await page.loadText(box.value)).hash === page.meshHash(),
          "the typed surface drawn is not its text's");
}

// The starfish coloured by its gaussian curvature, for the script to lay
// beside vextal-snapshot's, and its legend in the snapshot legend's words.
async function colouredPicture(view, starfish) {
    const page = view.vextalPage;
    await page.loadScene(starfish);
    await page.setColour("gaussian");
    // At rest since the sliders last moved: drawn multisampled.
    await new Promise((done) => setTimeout(done, 300));
    await nextFrames(view);
    const words = page.legend();
    console.log("legend " + words.join(" | "));
    check(words[0] === "gaussian K" && words.length === 4 && words[3] === "0",
          "the legend reads " + words.join(" | "));
    window.pagePictures = {coloured: view.document.getElementById("view").toDataURL("image/png")};
    await page.setColour("plain");
}

// The link opens the same surface, colouring and view in a fresh page.
async function linkRoundTrip() {
    const first = openFrame("index.html");
    const view = await frameReady(first);
    const page = view.vextalPage;
    await page.loadScene(await (await fetch("examples/typed-kuen.vextal")).text());
    await page.setColour("height");
    const canvas = view.document.getElementById("view");
    const pointer = {pointerId: 9, bubbles: true, clientX: 300, clientY: 300, button: 0};
    canvas.dispatchEvent(new view.PointerEvent("pointerdown", pointer));
    canvas.dispatchEvent(new view.PointerEvent("pointermove", {...pointer, clientX: 377, clientY: 251}));
    canvas.dispatchEvent(new view.PointerEvent("pointerup", pointer));
    canvas.dispatchEvent(new view.WheelEvent("wheel", {deltaY: -100, bubbles: true, cancelable: true}));
    const link = page.link();
    check(link.includes("#view=") && link.startsWith(view.location.href.replace(/#.*$/s, "")),
          "the link is " + link.slice(0, 200));
    view.document.getElementById("copy-link").click();
    await until(() => view.document.getElementById("link").value === link,
                "Copy link does not show the link");
    const fresh = openFrame("index.html" + link.slice(link.indexOf("#")));
    const freshPage = (await frameReady(fresh)).vextalPage;
    check(freshPage.meshHash() === page.meshHash(), "the link's page has another surface");
    check(JSON.stringify(freshPage.camera()) === JSON.stringify(page.camera()),
          `the link's view ${JSON.stringify(freshPage.camera())} is not ${JSON.stringify(page.camera())}`);
    check(freshPage.colour() === "height" && freshPage.legend().join() === page.legend().join(),
          "the link's page has another colouring");
    fresh.remove();
    first.remove();
}

checks().then(() => { window.pageDone = true; },
              (error) => { window.pageError = error.message; });
