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

// "build": the scene text as it is; "edit": the text the scene writer makes
// of edited values, returned with the mesh as `text`.
function answer(module, request) {
    const start = performance.now();
    const text = request.kind === "edit" ? module.sceneTextOf(request.values) : request.text;
    const result = module.buildView(text, request.colour);
    if (result.loaded)
        result.text = text;
    result.buildMilliseconds = performance.now() - start;
    return result;
}

loading.then(
    (module) => {
        self.onmessage = ({data}) => {
            let result;
            try {
                result = answer(module, data);
            } catch (error) {
                result = {loaded: false, line: 0, error: "the geometry failed: " + error};
            }
            self.postMessage({id: data.id, result}, arraysOf(result));
        };
        self.postMessage({colourModes: module.colourModeNames()});
    },
    (error) => self.postMessage({failed: "the geometry did not load: " + error}));
