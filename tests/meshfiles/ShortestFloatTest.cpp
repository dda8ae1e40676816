#include "meshfiles/ShortestFloat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// The browser build's shortest float text is std::to_chars's, character for
// character: across the magnitudes, at the switch between fixed and
// scientific notation, for powers of two and for random bit patterns.
TEST(ShortestFloatTest, writesWhatToCharsWrites) {
    std::vector<float> values = {
        0.0f,         -0.0f,   1.0f,  -1.0f,       0.1f,          1e-5f,           1e-4f,
        123456790.0f, 1e7f,    1e8f,  16777216.0f, 3.4028235e38f, 1.17549435e-38f, 1.4e-45f,
        100.0f,       1234.5f, 0.001f};
    for (int e = -149; e < 128; ++e)
        values.push_back(std::ldexp(1.0f, e));
    std::mt19937 random(7);
    while (values.size() < 200000) {
        const std::uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    for (const float value : values) {
        char expected[32], written[32];
        const std::string want(expected, std::to_chars(expected, expected + 32, value).ptr);
        const std::string got(written, Vextal::putShortestFloat(written, value));
        ASSERT_EQ(got, want) << "for the bits of " << want;
    }
}
