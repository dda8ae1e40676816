#pragma once

#include "fit/CurveFit.h"
#include "tools/FitReportOutput.h"

#include <cstdio>
#include <string>

namespace Vextal {

// The report of a curve fit for a person: the curve's numbers and
// placement, the distances, the iterations and the time.
void writeCurveText(std::FILE* out, const FitReportInput& input, const CurveFitResult& fit,
                    const std::string& picture);

// The same as one strict JSON object (non-finite numbers as null).
void writeCurveJson(std::FILE* out, const FitReportInput& input, const CurveFitResult& fit,
                    const std::string& picture);

} // namespace Vextal
