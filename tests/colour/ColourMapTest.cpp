#include "colour/ColourMaps.h"
#include "colour/RangeLabels.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace Vextal;

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float most = std::numeric_limits<float>::max();
constexpr float least = std::numeric_limits<float>::denorm_min();

bool same(Rgb8 a, Rgb8 b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

} // namespace

// Ranges of no width, of a width below 1e-37 or of one beyond the float
// range: each end value takes its end colour, a range of no width the
// middle, NaN the grey, whatever the range.
TEST(ColourMap, everyFloatRangeAndValueMapsToAColour) {
    const ColourTable& map = sequentialMap;
    struct Case {
        float low, high;
    };
    for (const Case c : {Case{0, 1e-37f}, Case{0, least}, Case{-2e38f, 2e38f}, Case{-3e38f, 3e38f},
                         Case{-most, most}, Case{1, 1.0000001f}}) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        EXPECT_TRUE(same(mapColour(map, c.low, c.high, c.low), map.front()));
        EXPECT_TRUE(same(mapColour(map, c.low, c.high, c.high), map.back()));
        EXPECT_TRUE(same(mapColour(map, c.low, c.high, -inf), map.front()));
        EXPECT_TRUE(same(mapColour(map, c.low, c.high, inf), map.back()));
        EXPECT_TRUE(same(mapColour(map, c.low, c.high, notANumber), nonFiniteGrey));
    }
    EXPECT_TRUE(same(mapColour(map, -3e38f, 3e38f, 0), map[128]));
    EXPECT_TRUE(same(mapColour(map, -3e38f, 3e38f, -1.5e38f), map[64]));
    for (const float value : {0.5f, -most, most, inf, 0.0f})
        for (const auto& [low, high] : {std::pair{0.5f, 0.5f}, std::pair{notANumber, 1.0f},
                                        std::pair{0.0f, inf}, std::pair{-inf, inf}})
            EXPECT_TRUE(same(mapColour(map, low, high, value), map[128]))
                << value << " on " << low << ".." << high;
}

// A value alone is given a range about it that is never empty, however
// large it is.
TEST(ColourMap, aSingleValueGetsARangeOfSomeWidth) {
    for (const float v : {0.0f, 1.0f, 1e30f, -most, most}) {
        const float values[] = {v, v, v};
        const ColourRange range = percentileRange(values, false);
        EXPECT_LT(range.low, range.high) << v;
        EXPECT_TRUE(std::isfinite(range.low) && std::isfinite(range.high)) << v;
    }
}

// A scene the loader accepts whose theta range has no width: the parameter
// colouring shows the map's middle (and its darker checks).
TEST(ColourMap, aThetaRangeOfNoWidthColoursTheMiddle) {
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText("\"sss\nthetarange 0.5 0.5\nrender\n", mesh);
    ASSERT_TRUE(loaded.rendered());
    const VertexColours colours =
        colourVertices(loaded.values, mesh, {ColourMode::parameter, std::nullopt});
    ASSERT_EQ(colours.colours.size(), mesh.vertexCount);
    EXPECT_EQ(colours.low, colours.high);
    std::set<int> greens;
    for (const Rgb8& colour : colours.colours)
        greens.insert(colour.g);
    EXPECT_EQ(greens.count(sequentialMap[128].g), 1u) << *greens.begin();
}

// Labels of a range's ends read differently wherever the ends differ.
TEST(ColourMap, labelsTellNarrowEndsApart) {
    const double narrow[] = {1.0, double(1.0000001f)};
    const int digits = digitsApart(narrow, 3);
    EXPECT_EQ(withDigits(narrow[0], digits), "1");
    EXPECT_EQ(withDigits(narrow[1], digits), "1.0000001");
    const double wide[] = {-2, 0.5, 3};
    EXPECT_EQ(digitsApart(wide, 3), 3);
    const double same[] = {0.5, 0.5};
    EXPECT_EQ(digitsApart(same, 4), 4);
}
