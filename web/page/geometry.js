// The project's geometry, compiled to WebAssembly and run in a Worker
// (geometry-worker.js): scene text or edited values in, the mesh with its
// colouring or the error at its line out, every answer a Promise.
//
// Builds go one at a time: a request made while one is under way waits, and
// a newer one replaces it, its Promise resolving to {stale: true}; so a
// slider dragged faster than the meshes are built shows the latest values.
// Other requests are each answered.

// A load reads a scene's first MiB and the byte after it: no more characters
// than that need to reach the module, however much was pasted.
const readCharacters = (1 << 20) + 1;

function startWorker() {
    const worker = new Worker(new URL("./geometry-worker.js", import.meta.url), {type: "module"});
    return new Promise((ready, failed) => {
        worker.onmessage = ({data}) => {
            if (data.failed)
                failed(new Error(data.failed));
            else
                ready({worker, colourModes: data.colourModes});
        };
        worker.onerror = (event) =>
            failed(new Error("the geometry's worker did not start: " + (event.message || "")));
    });
}

// A function that hands a request to the worker and resolves to its answer.
function channel(worker) {
    let nextId = 1;
    const answers = new Map();
    worker.onmessage = ({data}) => {
        const answer = answers.get(data.id);
        answers.delete(data.id);
        answer(data.result);
    };
    return (request) => new Promise((answer) => {
        const id = nextId++;
        answers.set(id, answer);
        worker.postMessage({...request, id});
    });
}

// Sends through `send` one request at a time, the latest waiting one
// replacing any other.
function latestOnly(send) {
    let busy = false;
    let waiting = null; // {request, answer}
    const run = ({request, answer}) => {
        busy = true;
        send(request).then((result) => {
            busy = false;
            // The next build starts before this one's mesh is shown.
            if (waiting) {
                const next = waiting;
                waiting = null;
                run(next);
            }
            answer(result);
        });
    };
    return (request) => new Promise((answer) => {
        if (!busy) {
            run({request, answer});
            return;
        }
        if (waiting)
            waiting.answer({stale: true});
        waiting = {request, answer};
    });
}

// The finest grid the page builds: 1024 x 1024 holds about 165 MB of mesh
// in the module, JavaScript and the GPU together (docs/web.md).
export const largestGrid = 1024;

// Why a grid {slices, rotations} is not one the page builds; null when it is.
function gridRefusal(grid) {
    const inRange = (n) => Number.isInteger(n) && n >= 3 && n <= largestGrid;
    if (!inRange(grid.slices) || !inRange(grid.rotations))
        return `the page's grid is at most ${largestGrid} x ${largestGrid}, each count from 3`;
    return null;
}

// Resolves to {colourModes, build(text, colour, grid), edit(values, colour,
// grid), exportFile(text, format, options)}. A build or an edit resolves to
// {loaded: true, text, values, surface, positions, normals, indices, hash,
// colouring?} or {loaded: false, line, error}, or {stale: true}; with a grid
// {slices, rotations}, on that grid instead of the file's. exportFile
// resolves to the bytes of the file vextal-export writes of the scene text in
// `format` ("stl", "ply", "3mf" or "glb") with `options` {unit, fit, scale,
// weld, grid}, or rejects with the reason none is written.
export async function startGeometry() {
    const {worker, colourModes} = await startWorker();
    // Requests that must each be answered (a file to write) go by `send`,
    // in turn with the builds; a kind of request is a handler in the worker.
    const send = channel(worker);
    const request = latestOnly(send);
    return {
        colourModes,
        build: (text, colour, grid = null) => {
            const refusal = grid === null ? null : gridRefusal(grid);
            if (refusal !== null)
                return Promise.resolve({loaded: false, line: 0, error: refusal});
            return request({kind: "build", text: text.slice(0, readCharacters), colour, grid});
        },
        edit: (values, colour, grid = null) => request({kind: "edit", values, colour, grid}),
        exportFile: async (text, format, options = {}) => {
            const {grid = null, ...rest} = options;
            if (grid !== null) {
                const refusal = gridRefusal(grid);
                if (refusal !== null)
                    throw new Error(refusal);
                rest.slices = grid.slices;
                rest.rotations = grid.rotations;
            }
            const result = await send(
                {kind: "export", text: text.slice(0, readCharacters), format, options: rest});
            if (!result.written)
                throw new Error(result.error);
            return result.bytes;
        },
    };
}
