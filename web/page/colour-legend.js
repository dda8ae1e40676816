// The colouring's legend beside the view: the map as a bar from the low end
// (bottom) to the high end (top), its ends' labels, 0 where it falls on a
// curvature's bar, and the title, in the words the project's legend uses.

const barHeight = 200;

function label(className, text) {
    const span = document.createElement("span");
    span.className = className;
    span.textContent = text;
    return span;
}

// Shows `colouring`'s legend in `figure`, or hides it for a plain mesh.
export function showLegend(figure, colouring) {
    figure.hidden = !colouring;
    if (!colouring) {
        figure.replaceChildren();
        return;
    }
    const {legend, map} = colouring;
    const bar = document.createElement("canvas");
    bar.width = 1;
    bar.height = barHeight;
    const context = bar.getContext("2d");
    const pixels = context.createImageData(1, barHeight);
    for (let y = 0; y < barHeight; ++y) {
        const entry = Math.round((1 - y / (barHeight - 1)) * 255);
        pixels.data.set([map[3 * entry], map[3 * entry + 1], map[3 * entry + 2], 255], 4 * y);
    }
    context.putImageData(pixels, 0, 0);
    const labels = document.createElement("div");
    labels.className = "legend-labels";
    labels.append(label("legend-high", legend.high), label("legend-low", legend.low));
    if (legend.zeroAt !== null) {
        const zero = label("legend-zero", "0");
        zero.style.bottom = `${(100 * legend.zeroAt).toFixed(2)}%`;
        labels.append(zero);
    }
    const body = document.createElement("div");
    body.className = "legend-body";
    body.append(labels, bar);
    figure.replaceChildren(label("legend-title", legend.title), body);
}

// The legend's words, for the tests: [title, high, low, "0"?].
export function legendWords(figure) {
    return [...figure.querySelectorAll("span")].map((span) => span.textContent);
}
