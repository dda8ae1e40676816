#include "mesh/MeshSurvey.h"

#include "mesh/EdgeCounts.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Vextal {

namespace {

struct Vec3d {
    double x, y, z;
};

Vec3d widen(Vec3 v) {
    return {v.x, v.y, v.z};
}
Vec3d minus(Vec3d a, Vec3d b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3d cross(Vec3d a, Vec3d b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Vec3d a, Vec3d b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool isFinite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Everything but the edges.
MeshSurvey surveyShape(const PolygonsIndexed& mesh) {
    MeshSurvey survey;
    Vec3d low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
              std::numeric_limits<double>::infinity()};
    Vec3d high{-low.x, -low.y, -low.z};
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        if (!isFinite(mesh.vertices[k])) {
            ++survey.nonFiniteVertices;
            continue;
        }
        const Vec3d p = widen(mesh.vertices[k]);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    if (low.x <= high.x)
        survey.boundingVolume = (high.x - low.x) * (high.y - low.y) * (high.z - low.z);

    double sixVolumes = 0;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        const Vec3d p0 = widen(mesh.vertices[f.i0]), p1 = widen(mesh.vertices[f.i1]),
                    p2 = widen(mesh.vertices[f.i2]);
        const Vec3d n = cross(minus(p1, p0), minus(p2, p0));
        if (!(dot(n, n) > 0))
            ++survey.degenerateTriangles;
        sixVolumes += dot(p0, cross(p1, p2));
    }
    // Clockwise seen from outside: each right-handed normal points inwards.
    survey.volume = -sixVolumes / 6;
    return survey;
}

} // namespace

MeshSurvey surveyMesh(const PolygonsIndexed& mesh) {
    MeshSurvey survey = surveyShape(mesh);
    const EdgeCounts edges = countEdges(mesh.triangles, mesh.triangleCount);
    survey.openEdges = edges.open;
    survey.tangledEdges = edges.tangled;
    return survey;
}

MeshSurvey surveyMesh(const PolygonsIndexedNormal& mesh) {
    const RingGrid& grid = mesh.ringGrid();
    if (!grid.edgesKnown())
        return surveyMesh(static_cast<const PolygonsIndexed&>(mesh));
    MeshSurvey survey = surveyShape(mesh);
    survey.openEdges = grid.openEdgeCount();
    return survey;
}

} // namespace Vextal
