#pragma once

#include <cstdint>

namespace Vextal {

// "slice" and "rotate": the value is truncated toward zero to a signed 32-bit
// integer (out of range or NaN gives INT32_MIN), reduced modulo 256, and a
// result below 3 becomes 3. So 300 gives 44 and -1 gives 255.
std::uint8_t countRule(float value);

// "phirange" and "thetarange": the smaller value starts the range, whatever
// order the file gives. With a NaN the second value starts it.
struct AngleRange {
    float start;
    float end;
};
AngleRange rangeRule(float first, float second);

} // namespace Vextal
