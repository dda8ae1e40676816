#pragma once

#include <cstdint>

namespace Vextal {

class PolygonsIndexed;
class PolygonsIndexedNormal;

// What a mesh is made of, for a person deciding whether it can be printed or
// why it looks wrong.
struct MeshSurvey {
    std::uint32_t nonFiniteVertices = 0;   // a NaN or infinite coordinate
    std::uint32_t degenerateTriangles = 0; // no area: a repeated vertex or corners in a line
    // Edges (unordered vertex pairs) that one triangle uses, and those that
    // more than two use or two use in the same direction: a watertight
    // surface has neither.
    std::uint32_t openEdges = 0;
    std::uint32_t tangledEdges = 0;
    // The volume the surface encloses, positive when its triangles run
    // clockwise seen from outside (the tessellation's winding), and the
    // volume of its bounding box.
    double volume = 0;
    double boundingVolume = 0;

    bool watertight() const { return openEdges == 0 && tangledEdges == 0; }
};

MeshSurvey surveyMesh(const PolygonsIndexed& mesh);
// The same; the edges of a mesh that is still the ring grid it was written
// as are known from the grid, without sorting its (millions of) edges.
MeshSurvey surveyMesh(const PolygonsIndexedNormal& mesh);

} // namespace Vextal
