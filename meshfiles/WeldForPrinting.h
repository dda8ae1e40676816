#pragma once

#include "meshfiles/MeshWeld.h"

#include <cstdint>

namespace Vextal {

class PolygonsIndexedNormal;
struct SceneSummary;

// The mesh as a slicer needs it: when it is the toric surface's tessellation
// and its theta makes a full turn, the tube's two ends joined (joinTubeEnds);
// then welded. The mesh itself is not changed.
TriangleList weldedForPrinting(const PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                               const Workers& workers = {});

// Replaces the mesh by weldedForPrinting() and, unless told not to (a format
// that has no normals), computes its normals again from the welded
// triangles. A mesh whose ends need no joining is welded in place, without
// its normals; the ends of a tube are joined in a copy, the mesh's arrays
// freed meanwhile. `origins`, when given, receives for each vertex kept its
// index before.
void weldForPrinting(PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                     const Workers& workers = {}, std::vector<std::uint32_t>* origins = nullptr,
                     bool withNormals = true);

// The number of open edges of the mesh when weldedForPrinting() has none, so
// that welding would close every hole; 0 otherwise.
std::uint32_t openEdgesWeldCloses(const PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                                  const Workers& workers = {});

} // namespace Vextal
