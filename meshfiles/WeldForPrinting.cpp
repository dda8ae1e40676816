#include "meshfiles/WeldForPrinting.h"

#include "mesh/EdgeCounts.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/TubeEnds.h"
#include "scene/SceneLoader.h"

#include <algorithm>

namespace Vextal {

namespace {

// The mesh as plain arrays, the ends of a full-turn tube joined.
TriangleList printableList(const PolygonsIndexedNormal& mesh, const SceneSummary& scene) {
    TriangleList list;
    if (mesh.vertexCount > 0)
        list.vertices.assign(mesh.vertices, mesh.vertices + mesh.vertexCount);
    if (mesh.triangleCount > 0)
        list.triangles.assign(mesh.triangles, mesh.triangles + mesh.triangleCount);
    // Only the toric surface's theta runs round a tube; a full turn of the
    // others' theta, which runs from pole to pole, covers the surface twice.
    const bool tube = scene.surface == SurfaceKind::toric && mesh.ringGrid().rings >= 2;
    if (tube && thetaMakesFullTurn(scene.thetaMin, scene.thetaMax))
        joinTubeEnds(mesh.ringGrid(), list.triangles);
    return list;
}

} // namespace

TriangleList weldedForPrinting(const PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                               const Workers& workers) {
    TriangleList list = printableList(mesh, scene);
    weld(list, workers);
    return list;
}

void weldForPrinting(PolygonsIndexedNormal& mesh, const SceneSummary& scene, const Workers& workers,
                     std::vector<std::uint32_t>* origins, bool withNormals) {
    const bool tube = scene.surface == SurfaceKind::toric && mesh.ringGrid().rings >= 2 &&
                      thetaMakesFullTurn(scene.thetaMin, scene.thetaMax);
    if (!tube) {
        // Welded where it lies, without the normals, which are made anew:
        // no second copy of the mesh.
        mesh.dropNormals();
        const WeldedCounts counts =
            weld(std::span(mesh.vertices, mesh.vertexCount),
                 std::span(mesh.triangles, mesh.triangleCount), workers, origins);
        mesh.shrinkTo(counts.vertices, counts.triangles);
    } else {
        // Joining the ends changes the triangles' number: welded in a copy.
        TriangleList welded = printableList(mesh, scene);
        mesh.release();
        weld(welded, workers, origins);
        mesh.allocate(std::uint32_t(welded.vertices.size()),
                      std::uint32_t(welded.triangles.size()));
        std::copy(welded.vertices.begin(), welded.vertices.end(), mesh.vertices);
        welded.vertices = {};
        std::copy(welded.triangles.begin(), welded.triangles.end(), mesh.triangles);
        welded.triangles = {};
    }
    if (withNormals)
        mesh.computeNormals(workers);
}

std::uint32_t openEdgesWeldCloses(const PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                                  const Workers& workers) {
    // A ring grid's edges are known without sorting its (millions of) edges.
    const RingGrid& grid = mesh.ringGrid();
    const std::uint32_t open = grid.edgesKnown()
                                   ? grid.openEdgeCount()
                                   : countEdges(mesh.triangles, mesh.triangleCount).open;
    if (open == 0)
        return 0;
    const TriangleList welded = weldedForPrinting(mesh, scene, workers);
    return countEdges(welded.triangles.data(), std::uint32_t(welded.triangles.size())).open == 0
               ? open
               : 0;
}

} // namespace Vextal
