#pragma once

#include "fit/SurfaceFit.h"

#include <cstdio>
#include <string>

namespace Vextal {

// What vextal-fit says of one fit, beside the points it read.
struct FitReportInput {
    std::string file;       // as given, printed escaped
    std::string format;     // "PLY", ...
    std::uint64_t read = 0; // points in the file
    std::uint64_t notFinite = 0;
    std::uint64_t used = 0; // points fitted (a sample when the file held more)
    std::string written;    // the scene file written, or empty
};

// The report for a person: the surface's numbers and pose, the distances,
// the iterations and the time.
void writeFitText(std::FILE* out, const FitReportInput& input, const SurfaceFitResult& fit);

// The same as one strict JSON object (non-finite numbers as null).
void writeFitJson(std::FILE* out, const FitReportInput& input, const SurfaceFitResult& fit);

} // namespace Vextal
