// A control for every value the desktop's scene panel edits: the surface,
// its grid, the ends of its ranges, its coefficients, and a typed surface's
// named parameters (within their ranges) and its x, y and z. Each change
// hands a fresh copy of the values to `edited`; the page writes them as
// scene text through the project's own scene writer.

const angle = [-2 * Math.PI, 2 * Math.PI];
// Where a superformula's and a harmonic's coefficients give a surface worth
// seeing; a value outside is shown and the slider widened to it.
const superformula = [["n1", 0.1, 60], ["n2", 0, 60], ["n3", 0, 60], ["m", 0, 20],
                      ["a", 0.1, 4], ["b", 0.1, 4]];
const harmonic = [0, 1, 2, 3, 4, 5, 6, 7].map((k) => [`m${k}`, 0, 10]);
const surfaces = [["spheric", "spheric"], ["toric", "toric"], ["harmonic", "harmonic"],
                  ["formula", "typed"]];

// What decides which controls there are: a rebuild is needed when it changes.
export function controlsShape(values) {
    return values.surface + ":" + values.formula.parameters.map((p) => p.name).join(",");
}

function shortest(value) {
    return String(Number(value.toPrecision(6)));
}

function row(label, control, output = null) {
    const line = document.createElement("label");
    line.className = "control";
    const name = document.createElement("span");
    name.textContent = label;
    line.append(name, control);
    if (output)
        line.append(output);
    return line;
}

// A slider from low to high (widened to hold `value`), calling
// changed(number) as it moves.
function slider(label, value, low, high, changed, integer = false) {
    const input = document.createElement("input");
    input.type = "range";
    input.min = String(Math.min(low, value));
    input.max = String(Math.max(high, value));
    input.step = integer ? "1" : "any";
    input.value = String(value);
    input.dataset.name = label;
    const output = document.createElement("output");
    output.textContent = shortest(value);
    input.addEventListener("input", () => {
        const number = Number(input.value);
        output.textContent = shortest(number);
        changed(number);
    });
    return row(label, input, output);
}

function choice(label, options, value, changed) {
    const select = document.createElement("select");
    for (const [name, title] of options) {
        const option = document.createElement("option");
        option.value = name;
        option.textContent = title;
        select.append(option);
    }
    select.value = value;
    select.dataset.name = label;
    select.addEventListener("change", () => changed(select.value));
    return row(label, select);
}

function tick(label, value, changed) {
    const box = document.createElement("input");
    box.type = "checkbox";
    box.checked = value;
    box.dataset.name = label;
    box.addEventListener("change", () => changed(box.checked));
    return row(label, box);
}

function textField(label, value, changed) {
    const field = document.createElement("input");
    field.type = "text";
    field.value = value;
    field.spellcheck = false;
    field.dataset.name = label;
    field.addEventListener("input", () => changed(field.value));
    const line = row(label, field);
    line.classList.add("wide");
    return line;
}

function gridControls(v, change) {
    const typed = v.surface === "formula";
    const controls = [
        slider("slice", v.slice, 3, 255, (n) => change((w) => { w.slice = n; }), true),
        slider("rotate", v.rotate, 3, 255, (n) => change((w) => { w.rotate = n; }), true),
    ];
    if (!typed)
        controls.push(tick("close", v.closed, (on) => change((w) => { w.closed = on; })));
    const [phi, theta] = typed ? ["vrange", "urange"] : ["phirange", "thetarange"];
    controls.push(
        slider(`${phi} from`, v.phiMin, ...angle, (n) => change((w) => { w.phiMin = n; })),
        slider(`${phi} to`, v.phiMax, ...angle, (n) => change((w) => { w.phiMax = n; })),
        slider(`${theta} from`, v.thetaMin, ...angle, (n) => change((w) => { w.thetaMin = n; })),
        slider(`${theta} to`, v.thetaMax, ...angle, (n) => change((w) => { w.thetaMax = n; })));
    return controls;
}

function coefficientControls(v, change) {
    if (v.surface === "harmonic")
        return harmonic.map(([name, low, high], k) => slider(
            `coefh ${name}`, v.coefh[k], low, high, (n) => change((w) => { w.coefh[k] = n; })));
    if (v.surface === "formula")
        return [];
    const controls = [];
    for (const key of ["coef1", "coef2"])
        superformula.forEach(([name, low, high], k) => controls.push(slider(
            `${key} ${name}`, v[key][k], low, high, (n) => change((w) => { w[key][k] = n; }))));
    return controls;
}

function formulaControls(v, change) {
    if (v.surface !== "formula")
        return [];
    const controls = v.formula.parameters.map((p, k) => slider(
        p.name, p.value, p.low, p.high,
        (n) => change((w) => { w.formula.parameters[k].value = n; })));
    for (const axis of ["x", "y", "z"])
        controls.push(textField(axis, v.formula[axis],
                                (text) => change((w) => { w.formula[axis] = text; })));
    return controls;
}

// Replaces the controls in `container` with those for `values`.
export function showControls(container, values, edited) {
    let current = structuredClone(values);
    const change = (apply) => {
        current = structuredClone(current);
        apply(current);
        edited(current);
    };
    container.replaceChildren(
        choice("surface", surfaces, values.surface, (name) => change((w) => { w.surface = name; })),
        ...gridControls(values, change), ...coefficientControls(values, change),
        ...formulaControls(values, change));
}
