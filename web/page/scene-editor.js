// The scene text box: every edit is loaded; a text that does not reach
// "render" shows why at its line, as vextal-check says it, and the last
// good surface stays on screen.

// Calls loaded(result) with each load's result, at most once a frame.
export function followEditor(textarea, load) {
    let pending = false;
    textarea.addEventListener("input", () => {
        if (pending)
            return;
        pending = true;
        requestAnimationFrame(() => {
            pending = false;
            load(textarea.value);
        });
    });
}

// The status line for a load: the surface and its counts, or the error.
export function showStatus(status, result) {
    status.classList.toggle("error", !result.loaded);
    if (result.loaded) {
        status.textContent = `${result.surface}: ${result.positions.length / 3} vertices, ` +
                             `${result.indices.length / 3} triangles`;
    } else {
        const where = result.line > 0 ? `scene:${result.line}: ` : "scene: ";
        // textContent: the loader's message quotes the text, escaped, and
        // the page never reads it as markup.
        status.textContent = where + result.error + " (the last good surface is kept)";
    }
}
