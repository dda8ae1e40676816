#pragma once

#include "mesh/MeshEdges.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <cstdint>
#include <vector>

namespace Vextal {

// The edges of a mesh's triangles as one index array for a single GL_LINES
// draw over the mesh's own vertex and normal arrays, each edge once
// (meshEdges). Built when first asked for after the mesh's revision changes,
// so once per load, and never while nobody draws a wireframe. Drawing each
// edge once shows what drawing every triangle's outline shows, where the
// outlines of neighbouring triangles coincide.
class WireframeEdges {
public:
    const std::vector<std::uint32_t>& indicesFor(const PolygonsIndexedNormal& mesh) {
        if (source != &mesh || sourceRevision != mesh.revision) {
            meshEdges(mesh, indices);
            source = &mesh;
            sourceRevision = mesh.revision;
        }
        return indices;
    }

private:
    const PolygonsIndexedNormal* source = nullptr;
    std::uint64_t sourceRevision = 0;
    std::vector<std::uint32_t> indices;
};

} // namespace Vextal
