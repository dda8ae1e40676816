#pragma once

#include "primitives/PrimitiveSuperShapeSpheric.h"

namespace Vextal {

// Superformula surface in toroidal form: rPhi is the distance of the tube's
// centre line from the z axis, rTheta the tube's radius.
class PrimitiveSuperShapeToric : public PrimitiveSuperShapeSpheric {
public:
    Vec3 position(const GridSample& sample) const override;

protected:
    void writeRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) const override;
};

} // namespace Vextal
