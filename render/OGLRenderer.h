#pragma once

namespace Vextal {

class PolygonsIndexedNormal;
struct Rgb8;

// Draws a mesh with OpenGL 1.1. Sets no colour, polygon mode or lighting of
// its own: the caller's state applies.
class OGLRenderer {
public:
    // The triangles in one indexed draw straight from the mesh's arrays,
    // with vertex and normal client arrays (disabled again afterwards). With
    // colours, one per vertex, they replace the material's ambient and
    // diffuse colour (lit all the same); the material is left as it was.
    virtual void render(PolygonsIndexedNormal* mesh, const Rgb8* colours = nullptr);

    // The triangles' outlines: each edge once as a line between two of the
    // mesh's vertices, with their normals (so lit as the triangles are), in
    // one indexed draw from an array built once per load; coloured as above.
    virtual void renderEdges(PolygonsIndexedNormal* mesh, const Rgb8* colours = nullptr);

    // Each vertex normal that a triangle uses as a line from the vertex to
    // vertex + normal / 5, in one draw from an array built once per load
    // (the render state's normalSegments).
    virtual void renderNormals(PolygonsIndexedNormal* mesh);
};

} // namespace Vextal
