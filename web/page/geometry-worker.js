// The project's geometry, compiled to WebAssembly, on a thread of its own so
// that building a large mesh never holds up the page's drawing or input.
// Answers each request {id, kind, ...} with {id, result}, handing the mesh's
// arrays over rather than copying them.
import loadGeometry from "./vextal-geometry.mjs";

const loading = loadGeometry();

function arraysOf(result) {
    const arrays = [result.positions, result.normals, result.indices, result.bytes];
    if (result.colouring)
        arrays.push(result.colouring.colours, result.colouring.map);
    return arrays.filter((array) => array).map((array) => array.buffer);
}

// The mesh and colouring of `text`, with the text when it loaded; on the
// grid {slices, rotations} when one is given.
function built(module, text, colour, grid) {
    const start = performance.now();
    const result = grid ? module.buildViewOnGrid(text, colour, grid.slices, grid.rotations)
                        : module.buildView(text, colour);
    if (result.loaded)
        result.text = text;
    result.buildMilliseconds = performance.now() - start;
    return result;
}

// Each kind of request: "build" takes the scene text as it is; "edit" the
// text the scene writer makes of edited values; "export" writes a file.
const handlers = {
    build: (module, request) => built(module, request.text, request.colour, request.grid),
    edit: (module, request) =>
        built(module, module.sceneTextOf(request.values), request.colour, request.grid),
    export: (module, request) => module.exportFile(request.text, request.format, request.options),
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
