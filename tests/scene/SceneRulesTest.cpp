#include "scene/SceneRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Vextal;

TEST(CountRule, wrapsModulo256AndNeverGoesBelowThree) {
    const struct {
        float value;
        unsigned count;
    } table[] = {{2.9f, 3},    {10.9f, 10},  {255.0f, 255}, {256.0f, 3}, {259.0f, 3},
                 {300.0f, 44}, {-1.0f, 255}, {1e12f, 3},    {0.0f, 3},   {-2.5f, 254}};
    for (const auto& row : table)
        EXPECT_EQ(countRule(row.value), row.count) << row.value;
}

TEST(CountRule, valuesOutsideTheIntegerRangeAndNaNGiveThree) {
    EXPECT_EQ(countRule(std::numeric_limits<float>::quiet_NaN()), 3);
    EXPECT_EQ(countRule(std::numeric_limits<float>::infinity()), 3);
    EXPECT_EQ(countRule(-std::numeric_limits<float>::infinity()), 3);
    EXPECT_EQ(countRule(2147483648.0f), 3);
    EXPECT_EQ(countRule(-2147483648.0f), 3);
    EXPECT_EQ(countRule(2147483520.0f), 128); // largest float below 2^31
}

TEST(RangeRule, theSmallerValueStartsTheRange) {
    const AngleRange a = rangeRule(3.0f, -1.0f);
    const AngleRange b = rangeRule(-1.0f, 3.0f);
    EXPECT_EQ(a.start, -1.0f);
    EXPECT_EQ(a.end, 3.0f);
    EXPECT_EQ(b.start, a.start);
    EXPECT_EQ(b.end, a.end);
    const AngleRange same = rangeRule(2.0f, 2.0f);
    EXPECT_EQ(same.start, 2.0f);
    EXPECT_EQ(same.end, 2.0f);
}
