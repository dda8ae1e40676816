// The page's one model: the geometry (in its Worker), the renderer, the
// camera, the colour mode and the last surface that loaded; wired to the
// canvas, the text box, the controls, the gallery and the link.
import {newCamera} from "./camera.js";
import {legendWords, showLegend} from "./colour-legend.js";
import {readFragment} from "./fragment.js";
import {followDownloads, readGrid} from "./downloads.js";
import {keepForOffline} from "./offline.js";
import {startGeometry} from "./geometry.js";
import {followLinkButton, linkOf} from "./link.js";
import {followPointer} from "./pointer.js";
import {drawView, newRenderer, uploadMesh} from "./renderer.js";
import {followEditor, showStatus} from "./scene-editor.js";
import {controlsShape, showControls} from "./sliders.js";

const firstExample = "starfish.vextal";

function element(id) {
    return document.getElementById(id);
}

// A drag or a slider moved the surface less than this long ago: its frames
// are drawn without multisampling, and one with it once it rests.
const restingAfter = 150;

// Asks for a frame; `moving` when a drag or a slider asks.
function redraw(page, moving = false) {
    if (moving)
        page.movedAt = performance.now();
    if (page.frameAsked)
        return;
    page.frameAsked = true;
    requestAnimationFrame(() => {
        page.frameAsked = false;
        const stillMoving = performance.now() - page.movedAt < restingAfter;
        drawView(page.renderer, page.camera, stillMoving);
        if (stillMoving) {
            clearTimeout(page.restTimer);
            page.restTimer = setTimeout(() => redraw(page), restingAfter);
        }
        page.framesDrawn += 1;
        // Milliseconds from the start of the page's navigation.
        page.firstFrameTime ??= performance.now();
    });
}

// Shows a load's result; a failed load leaves the last good surface drawn,
// a stale one (overtaken by a newer request) changes nothing. The controls
// are made again unless they made this load and still fit it.
function showResult(page, result, source) {
    if (result.stale)
        return result;
    showStatus(element("status"), result);
    page.lastResult = result;
    if (!result.loaded)
        return result;
    page.mesh = result;
    page.text = result.text;
    uploadMesh(page.renderer, result);
    showLegend(element("legend"), result.colouring ?? null);
    const shape = controlsShape(result.values);
    if (source !== "controls" || shape !== page.controlsShape) {
        page.controlsShape = shape;
        showControls(element("controls"), result.values, (values) => editValues(page, values));
    }
    redraw(page, source === "controls");
    return result;
}

// Loads scene text with the page's colour mode.
async function loadScene(page, text, source) {
    return showResult(page, await page.geometry.build(text, page.colour, page.grid), source);
}

// Loads the text the scene writer makes of edited values, and shows it in
// the box as the writer wrote it.
async function editValues(page, values) {
    const result = await page.geometry.edit(values, page.colour, page.grid);
    if (result.loaded)
        element("scene").value = result.text;
    return showResult(page, result, "controls");
}

async function setColour(page, mode) {
    page.colour = mode;
    element("colour").value = mode;
    return page.text === null ? null : loadScene(page, page.text, "colour");
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
    return loadScene(page, text, "gallery");
}

function fillChoices(select, names, title = (name) => name) {
    for (const name of names) {
        const option = document.createElement("option");
        option.value = name;
        option.textContent = title(name);
        select.append(option);
    }
}

async function fillGallery(page) {
    const names = JSON.parse(await fetchText("examples/list.json"));
    const select = element("examples");
    fillChoices(select, names, (name) => name.replace(/\.vextal$/, ""));
    select.addEventListener("change", () => showExample(page, select.value));
    // A picture of each example that has one, loaded only once shown.
    element("thumbnails").replaceChildren(...names.map((name) => {
        const button = document.createElement("button");
        button.type = "button";
        button.title = name.replace(/\.vextal$/, "");
        const picture = document.createElement("img");
        picture.loading = "lazy";
        picture.alt = button.title;
        picture.src = "examples/" + encodeURIComponent(name.replace(/\.vextal$/, ".png"));
        picture.addEventListener("error", () => button.remove());
        button.append(picture);
        button.addEventListener("click", () => {
            select.value = name;
            showExample(page, name);
        });
        return button;
    }));
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
                loadScene(page, element("scene").value, "box");
            } catch (error) {
                status.textContent = error.message;
            }
        });
    followDownloads(element("downloads"), {
        exportFile: page.geometry.exportFile,
        text: () => element("scene").value,
        grid: () => page.grid,
        canvas: element("view"),
        baseName: () => (element("examples").value || "surface").replace(/\.vextal$/, ""),
    }, status);
}

function shown(page) {
    return {text: page.text ?? "", camera: page.camera, colour: page.colour};
}

// What the tests read and drive. Loads resolve to their results.
function testHook(page) {
    return {
        meshHash: () => (page.mesh ? page.mesh.hash : null),
        lastLoad: () => page.lastResult,
        framesDrawn: () => page.framesDrawn,
        firstFrameTime: () => page.firstFrameTime,
        loadScene: (text) => {
            element("scene").value = text;
            return loadScene(page, text, "box");
        },
        // The same load as from the box, with the box left as it is.
        loadText: (text) => loadScene(page, text, "box"),
        setColour: (mode) => setColour(page, mode),
        camera: () => structuredClone(page.camera),
        link: () => linkOf(shown(page)),
        legend: () => legendWords(element("legend")),
        colour: () => page.colour,
    };
}

// The scene, view and colour mode an address hands over, or the first
// example.
async function showFirst(page, names) {
    const handed = readFragment(location.hash, page.geometry.colourModes);
    if (handed.view)
        Object.assign(page.camera, handed.view);
    if (handed.colour) {
        page.colour = handed.colour;
        element("colour").value = handed.colour;
    }
    if (handed.scene !== null) {
        // No example is shown: the gallery shows none chosen.
        element("examples").selectedIndex = -1;
        element("scene").value = handed.scene;
        await loadScene(page, handed.scene, "link");
    } else {
        const name = names.includes(firstExample) ? firstExample : names[0];
        element("examples").value = name;
        await showExample(page, name);
    }
    if (handed.reason)
        element("status").textContent = handed.reason;
}

async function start() {
    const status = element("status");
    try {
        const page = {camera: newCamera(), mesh: null, text: null, colour: "plain",
                      lastResult: null, framesDrawn: 0, frameAsked: false, firstFrameTime: null,
                      controlsShape: null, grid: null, movedAt: -Infinity, restTimer: null, renderer: newRenderer(element("view"))};
        page.geometry = await startGeometry();
        followPointer(element("view"), page.camera, () => redraw(page, true));
        followEditor(element("scene"), (text) => loadScene(page, text, "box"));
        const colour = element("colour");
        fillChoices(colour, page.geometry.colourModes);
        colour.addEventListener("change", () => setColour(page, colour.value));
        followLinkButton(element("copy-link"), element("link"), () => shown(page));
        followFiles(page);
        const names = await fillGallery(page);
        await showFirst(page, names);
        page.offline = keepForOffline();
        window.vextalPage = testHook(page);
    } catch (error) {
        status.classList.add("error");
        status.textContent = error.message;
        window.vextalPageError = error.message;
    }
}

start();
