// Drives the page in frames of its own: it draws an example, prints each
// example's mesh hash ("hash NAME HASH", compared with the desktop's by the
// script), shows a broken scene's error and keeps the last surface, and runs
// no script handed in the address. Ends with window.pageDone or pageError.

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
        const result = page.loadScene(await (await fetch("examples/" + name)).text());
        check(result.loaded, `${name} did not load: ${result.error}`);
        console.log(`hash ${name} ${result.hash}`);
    }

    const kept = page.meshHash();
    const broken = page.loadScene("sss\nslice 64\ncoef1 2 x\nrender\n");
    const status = view.document.getElementById("status").textContent;
    check(!broken.loaded && broken.line === 3, "the broken scene did not stop at line 3");
    check(status.startsWith("scene:3: coef1 needs 6 values; 'x' is not a number"),
          "the broken scene's error reads: " + status);
    check(page.meshHash() === kept, "the broken scene replaced the last good surface");
    await nextFrames(view);
    check(litShare(view) > 0.05, "the last good surface is no longer drawn");

    // Megabytes of text with control bytes (the box itself takes no more
    // than a scene's 1 MiB): read as far as a file is.
    const pasteStart = performance.now();
    const flooded = page.loadText("\"sss\n" + "\x01\x7f wave ".repeat(140000) + "render\n");
    check(!flooded.loaded && /1 MiB/.test(flooded.error),
          "a paste past 1 MiB was not stopped there: " + flooded.error);
    check(page.meshHash() === kept, "the long paste replaced the last good surface");
    console.log(`a 1.1 MB paste refused in ${(performance.now() - pasteStart).toFixed(0)} ms`);
    const starfish = await (await fetch("examples/starfish.vextal")).text();
    page.loadScene(starfish);

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

    page.loadScene(starfish);
    await nextFrames(view);
}

checks().then(() => { window.pageDone = true; },
              (error) => { window.pageError = error.message; });
