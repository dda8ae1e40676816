#include "scene/MeshWarnings.h"

#include "mesh/PolygonsIndexed.h"

#include <cmath>

namespace Vextal {

namespace {

std::string countOf(std::uint32_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string noVolume(const SceneSummary& scene) {
    std::string text = "the surface encloses almost no volume";
    if (scene.surface == SurfaceKind::harmonic && scene.thetaMin < 0 && scene.thetaMax > 0)
        text += ": the spherical harmonic's theta is measured from the z axis, so theta on "
                "both sides of 0 covers the surface twice; 'thetarange 0 3.14159265' covers "
                "it once";
    return text;
}

} // namespace

std::vector<std::string> meshWarnings(const PolygonsIndexed& mesh, const MeshSurvey& s,
                                      const SceneSummary& scene) {
    std::vector<std::string> warnings;
    if (s.nonFiniteVertices > 0)
        warnings.push_back(std::to_string(s.nonFiniteVertices) + " of " +
                           std::to_string(mesh.vertexCount) +
                           " vertices have NaN or infinite coordinates");
    if (s.degenerateTriangles > 0)
        warnings.push_back(countOf(s.degenerateTriangles, "triangle has", "triangles have") +
                           " no area");
    if (scene.closed && !s.watertight())
        warnings.push_back("the surface is closed but not watertight: " +
                           countOf(s.openEdges, "open edge", "open edges") + ", " +
                           countOf(s.tangledEdges, "edge", "edges") +
                           " used more than twice or twice the same way");
    const bool enclosing = scene.closed && s.watertight() && s.nonFiniteVertices == 0;
    if (enclosing && mesh.triangleCount > 0 && !(std::fabs(s.volume) > 1e-3 * s.boundingVolume))
        warnings.push_back(noVolume(scene));
    return warnings;
}

} // namespace Vextal
