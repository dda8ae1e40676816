#include "app/ViewerColouring.h"

#include "colour/VertexColouring.h"
#include "input/KeyState.h"
#include "input/WindowMessages.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"

namespace Vextal {

void takeColourKey(ViewerColouring& colouring, const std::int32_t* keys) {
    const bool held = keyHeld(keys, VK_C);
    if (held && !colouring.keyWasHeld)
        colouring.mode = nextColourMode(colouring.mode);
    colouring.keyWasHeld = held;
}

bool refreshColours(ViewerColouring& colouring, const SceneState& scene, RenderState& render) {
    const PolygonsIndexedNormal& mesh = scene.sceneMesh;
    if (colouring.coloured && colouring.colouredRevision == mesh.revision &&
        colouring.colouredMode == colouring.mode)
        return false;
    render.meshColours = colourVertices(scene.meshValues, mesh, {colouring.mode, std::nullopt});
    colouring.coloured = true;
    colouring.colouredRevision = mesh.revision;
    colouring.colouredMode = colouring.mode;
    return true;
}

} // namespace Vextal
