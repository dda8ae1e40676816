// The project's geometry, compiled to WebAssembly, on a thread of its own so
// that building a large mesh never holds up the page's drawing or input.
// Answers each request {id, kind, ...} with {id, result}, handing the mesh's
// arrays over rather than copying them.
import loadGeometry from "./vextal-geometry.mjs";

const loading = loadGeometry();

function arraysOf(result) {
    const arrays = [result.positions, result.normals, result.indices];
    if (result.colouring)
        arrays.push(result.colouring.colours, result.colouring.map);
    return arrays.filter((array) => array).map((array) => array.buffer);
}

// The mesh and colouring of `text`, with the text when it loaded.
function built(module, text, colour) {
    const start = performance.now();
    const result = module.buildView(text, colour);
    if (result.loaded)
        result.text = text;
    result.buildMilliseconds = performance.now() - start;
    return result;
}

// Each kind of request: "build" takes the scene text as it is; "edit" the
// text the scene writer makes of edited values.
const handlers = {
    build: (module, request) => built(module, request.text, request.colour),
    edit: (module, request) => built(module, module.sceneTextOf(request.values), request.colour),
};

loading.then(
    (module) => {
        self.onmessage = ({data}) => {
            let result;
            try {
                result = handlers[data.kind](module, data);
            } catch (error) {
                result = {loaded: false, line: 0, error: "the geometry failed: " + error};
            }
            self.postMessage({id: data.id, result}, arraysOf(result));
        };
        self.postMessage({colourModes: module.colourModeNames()});
    },
    (error) => self.postMessage({failed: "the geometry did not load: " + error}));
