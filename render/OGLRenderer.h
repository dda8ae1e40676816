#pragma once

namespace Vextal {

class PolygonsIndexedNormal;

// Draws a mesh with OpenGL 1.1. Sets no colour, polygon mode or lighting of
// its own: the caller's state applies.
class OGLRenderer {
public:
    // The triangles in one indexed draw straight from the mesh's arrays,
    // with vertex and normal client arrays (disabled again afterwards).
    virtual void render(PolygonsIndexedNormal* mesh);

    // Each vertex normal that a triangle uses as a line from the vertex to
    // vertex + normal / 5, in one draw from an array built once per load
    // (the render state's normalSegments).
    virtual void renderNormals(PolygonsIndexedNormal* mesh);
};

} // namespace Vextal
