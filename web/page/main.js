// The page's one model: the geometry, the renderer, the camera and the last
// surface that loaded; wired to the canvas, the text box and the gallery.
import {newCamera} from "./camera.js";
import {followDownloads, readGrid} from "./downloads.js";
import {sceneFromFragment} from "./fragment.js";
import {startGeometry} from "./geometry.js";
import {followPointer} from "./pointer.js";
import {drawView, newRenderer, uploadMesh} from "./renderer.js";
import {followEditor, showStatus} from "./scene-editor.js";

const firstExample = "starfish.vextal";

function element(id) {
    return document.getElementById(id);
}

function redraw(page) {
    if (page.frameAsked)
        return;
    page.frameAsked = true;
    requestAnimationFrame(() => {
        page.frameAsked = false;
        drawView(page.renderer, page.camera);
        page.framesDrawn += 1;
        // Milliseconds from the start of the page's navigation.
        page.firstFrameTime ??= performance.now();
    });
}

// Loads scene text; a failed load leaves the last good surface drawn.
function loadScene(page, text) {
    const result = page.build(text, page.grid);
    showStatus(element("status"), result);
    if (result.loaded) {
        page.mesh = result;
        uploadMesh(page.renderer, result);
        redraw(page);
    }
    page.lastResult = result;
    return result;
}

async function fetchText(path) {
    const response = await fetch(path);
    if (!response.ok)
        throw new Error(`${path}: ${response.status} ${response.statusText}`);
    return response.text();
}

async function showExample(page, name) {
    const text = await fetchText("examples/" + encodeURIComponent(name));
    element("scene").value = text;
    loadScene(page, text);
}

async function fillGallery(page) {
    const names = JSON.parse(await fetchText("examples/list.json"));
    const select = element("examples");
    for (const name of names) {
        const option = document.createElement("option");
        option.value = name;
        option.textContent = name.replace(/\.vextal$/, "");
        select.append(option);
    }
    select.addEventListener("change", () => showExample(page, select.value));
    return names;
}

// The grid fields set the grid of the view and of the files; the buttons
// save the files and the view.
function followFiles(page) {
    const status = element("download-status");
    const fields = [element("grid-slices"), element("grid-rotations")];
    for (const field of fields)
        field.addEventListener("change", () => {
            try {
                page.grid = readGrid(...fields);
                status.textContent = "";
                loadScene(page, element("scene").value);
            } catch (error) {
                status.textContent = error.message;
            }
        });
    followDownloads(element("downloads"), {
        text: () => element("scene").value,
        grid: () => page.grid,
        canvas: element("view"),
        baseName: () => (element("examples").value || "surface").replace(/\.vextal$/, ""),
    }, status);
}

// What the tests read and drive: the drawn mesh's hash, the last load.
function testHook(page) {
    return {
        meshHash: () => (page.mesh ? page.mesh.hash : null),
        lastLoad: () => page.lastResult,
        framesDrawn: () => page.framesDrawn,
        firstFrameTime: () => page.firstFrameTime,
        loadScene: (text) => {
            element("scene").value = text;
            return loadScene(page, text);
        },
        // The same load as from the box, with the box left as it is.
        loadText: (text) => loadScene(page, text),
    };
}

async function start() {
    const status = element("status");
    try {
        const page = {camera: newCamera(), mesh: null, lastResult: null, framesDrawn: 0,
                      frameAsked: false, firstFrameTime: null, grid: null,
                      renderer: newRenderer(element("view"))};
        page.build = await startGeometry();
        followPointer(element("view"), page.camera, () => redraw(page));
        followEditor(element("scene"), (text) => loadScene(page, text));
        followFiles(page);
        const names = await fillGallery(page);
        const refusal = {};
        const handed = sceneFromFragment(location.hash, refusal);
        if (handed !== null) {
            element("scene").value = handed;
            loadScene(page, handed);
        } else {
            const name = names.includes(firstExample) ? firstExample : names[0];
            element("examples").value = name;
            await showExample(page, name);
            if (refusal.reason)
                status.textContent = refusal.reason;
        }
        window.vextalPage = testHook(page);
    } catch (error) {
        status.classList.add("error");
        status.textContent = error.message;
        window.vextalPageError = error.message;
    }
}

start();
