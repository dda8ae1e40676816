#pragma once

#include "base/LatestOf.h"
#include "mesh/VertexColours.h"
#include "render/NormalSegments.h"
#include "render/OGLRenderer.h"
#include "render/WireframeEdges.h"

namespace Vextal {

// The drawing's part of the viewer's state: the display switches the frame
// loop sets from the keys, the renderer, and what the renderer derives from
// a mesh once per load. While a RenderState exists, the code of this layer
// reaches the one made last through renderState(); destroying it brings back
// the one before.
class RenderState {
public:
    RenderState();
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

private:
    // First, so that the state is reachable while its other members are
    // made and destroyed.
    LatestOf<RenderState> latest{*this};

public:
    // Set by P and cleared by F: polygons as lines, plus the axes.
    bool wireframe = false;
    // Set by N and cleared by E: the normal segments.
    bool showNormals = false;
    // Line widths are multiplied by it: a picture drawn this many times
    // larger and then scaled down keeps the lines of the window's picture.
    float lineWidthScale = 1;

    // One colour per vertex of the scene mesh, drawn in place of the
    // material's ambient and diffuse colour; with none (or a count that is
    // not the mesh's) the material is drawn. Whoever loads the mesh colours it.
    VertexColours meshColours;

    OGLRenderer sceneRenderer;
    // The normal segments of the mesh last drawn with its normals, and the
    // edges of the one last drawn as a wireframe, kept across frames so that
    // each is built once per load.
    NormalSegments normalSegments;
    WireframeEdges wireframeEdges;
};

// The render state made last and not yet destroyed; one must exist.
RenderState& renderState();

} // namespace Vextal
