#pragma once

#include "fit/CurveFit.h"

#include <cstdint>
#include <string>

namespace Vextal {

// What vextal-fit --curve was asked: the outline, where the scene and the
// picture go (empty: not written), the fit's options and the report's form.
struct CurveFitRequest {
    std::string outline;
    std::string out;
    std::string picture;
    CurveFitOptions fit;
    std::uint64_t maxPoints = 2'000'000;
    bool json = false;
    bool quiet = false;
    bool writeUnconverged = false;
};

// Reads, fits, writes and reports; returns vextal-fit's exit status (0
// fitted and written, 1 not converged so not written, 2 failed).
int runCurveFit(const CurveFitRequest& request);

} // namespace Vextal
