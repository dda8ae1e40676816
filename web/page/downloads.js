// The page's downloads: the surface as the files vextal-export writes (STL,
// 3MF with its unit and size, PLY, GLB), built by the module from the scene
// text, and the view as a PNG; each saved through a Blob link. The grid the
// page builds on (at most 1024 x 1024) is read here too.
import {largestGrid} from "./geometry.js";

const types = {
    stl: "model/stl",
    "3mf": "model/3mf",
    ply: "application/octet-stream",
    glb: "model/gltf-binary",
    png: "image/png",
};

// Saves `blob` as a file named `name`, as a link the visitor clicked would.
function save(blob, name) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    // The download has started by the next task; the memory can go then.
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The grid in the two fields, {slices, rotations}; null when both are empty
// (the file's own counts). Throws when only one is given or either is out
// of range.
export function readGrid(slicesField, rotationsField) {
    const slices = slicesField.value.trim(), rotations = rotationsField.value.trim();
    if (slices === "" && rotations === "")
        return null;
    const grid = {slices: Number(slices), rotations: Number(rotations)};
    const inRange = (n) => Number.isInteger(n) && n >= 3 && n <= largestGrid;
    if (!inRange(grid.slices) || !inRange(grid.rotations))
        throw new Error(`the grid needs slices and rotations, each from 3 to ${largestGrid}`);
    return grid;
}

// The options of a 3MF file: its unit, and its size across when one is given.
function threeMfOptions(unitField, sizeField) {
    const options = {unit: unitField.value};
    const size = sizeField.value.trim();
    if (size !== "") {
        const fit = Number(size);
        if (!(fit > 0) || !Number.isFinite(fit))
            throw new Error("the size needs a positive number");
        options.fit = fit;
    }
    return options;
}

// Wires the buttons (data-format="stl" ... "png") inside `panel`. `source`
// gives {exportFile, text(), grid(), canvas, baseName()}; what goes wrong is shown in
// `status`, which is emptied when a file is saved.
export function followDownloads(panel, source, status) {
    const unit = panel.querySelector("#file-unit"), size = panel.querySelector("#file-size");
    for (const button of panel.querySelectorAll("button[data-format]")) {
        button.addEventListener("click", async () => {
            const format = button.dataset.format;
            const name = `${source.baseName()}.${format}`;
            status.textContent = "";
            button.disabled = true;
            try {
                if (format === "png") {
                    const blob = await new Promise((done) => source.canvas.toBlob(done, types.png));
                    if (!blob)
                        throw new Error("the view could not be saved");
                    save(blob, name);
                } else {
                    const options = format === "3mf" ? threeMfOptions(unit, size) : {};
                    options.grid = source.grid();
                    const bytes = await source.exportFile(source.text(), format, options);
                    save(new Blob([bytes], {type: types[format]}), name);
                }
            } catch (error) {
                status.textContent = `${name}: ${error.message}`;
            } finally {
                button.disabled = false;
            }
        });
    }
}
