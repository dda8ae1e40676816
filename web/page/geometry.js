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

// Resolves to {colourModes, build(text, colour), edit(values, colour)}; both
// resolve to {loaded: true, text, values, surface, positions, normals,
// indices, hash, colouring?} or {loaded: false, line, error}, or {stale: true}.
export async function startGeometry() {
    const {worker, colourModes} = await startWorker();
    // Requests that must each be answered (a file to write) go by `send`,
    // in turn with the builds; a kind of request is a handler in the worker.
    const send = channel(worker);
    const request = latestOnly(send);
    return {
        colourModes,
        build: (text, colour) =>
            request({kind: "build", text: text.slice(0, readCharacters), colour}),
        edit: (values, colour) => request({kind: "edit", values, colour}),
    };
}
