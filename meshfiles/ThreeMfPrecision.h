#pragma once

#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// A 3MF model's coordinates go out with 6 decimals of its unit (lib3mf's
// fixed format), so a part too small for that unit loses its detail: distinct
// vertices become one. Returns why the mesh cannot be written so, or nothing
// when every distinct vertex stays distinct.
std::string threeMfPrecisionRefusal(const PolygonsIndexedNormal& mesh);

} // namespace Vextal
