#pragma once

namespace Vextal {

// One point of the angle grid as tessellate() hands it to position().
struct GridSample {
    double theta;
    double phi;
    double rTheta;   // radiusTheta(theta)
    double rPhi;     // radiusPhi(phi)
    double rProduct; // rPhi * rTheta
};

} // namespace Vextal
