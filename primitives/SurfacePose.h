#pragma once

#include <array>

namespace Vextal {

// Where a surface stands: turned by `angle` radians about `axis` (a unit
// vector), scaled by `scale` about the origin, then moved by `translation`.
// A point p of the tessellation becomes scale * R p + translation; a normal n
// becomes R n.
struct ScenePose {
    std::array<float, 3> axis{0, 0, 1};
    float angle = 0;
    std::array<float, 3> translation{};
    float scale = 1;

    bool operator==(const ScenePose&) const = default;
};

} // namespace Vextal
