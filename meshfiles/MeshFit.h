#pragma once

#include <optional>

namespace Vextal {

class PolygonsIndexedNormal;

// The factor that makes the largest extent of the bounding box of the mesh's
// finite vertices `size` (a positive finite number); none when the vertices
// have no extent at all (none finite, or all at one point).
std::optional<double> fitFactor(const PolygonsIndexedNormal& mesh, double size);

} // namespace Vextal
