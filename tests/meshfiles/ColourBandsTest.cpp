#include "meshfiles/ColourBands.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <gtest/gtest.h>

#include <set>

using namespace Vextal;

namespace {

bool same(Rgb8 a, Rgb8 b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

} // namespace

// A scene the loader accepts whose theta range has no width: the bands of a
// printed file put every triangle in the middle band.
TEST(ColourBands, aRangeOfNoWidthIsAllTheMiddleBand) {
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText("\"sss\nthetarange 0.5 0.5\nrender\n", mesh);
    ASSERT_TRUE(loaded.rendered());
    const VertexColours colours =
        colourVertices(loaded.values, mesh, {ColourMode::parameter, std::nullopt});
    ASSERT_EQ(colours.low, colours.high);
    const TriangleMaterials bands = bandTriangles(mesh, colours, 4, BandSpan::occurringValues);
    ASSERT_EQ(bands.ofTriangle.size(), mesh.triangleCount);
    for (std::uint8_t band : bands.ofTriangle)
        ASSERT_EQ(band, 2);
}

// Bands of a range wider than the floats, worked out in double: each its own
// colour, a value in its quarter.
TEST(ColourBands, bandsOfTheWidestRangeHaveTheirOwnColours) {
    PolygonsIndexedNormal mesh;
    ASSERT_TRUE(loadSceneText("\"sss\nslice 8 rotate 8\nrender\n", mesh).rendered());
    VertexColours colours;
    colours.mode = "height";
    colours.low = -3e38f;
    colours.high = 3e38f;
    colours.values.assign(mesh.vertexCount, 2e38f);
    colours.colours.resize(mesh.vertexCount);
    const TriangleMaterials bands = bandTriangles(mesh, colours, 4, BandSpan::colourRange);
    const std::set<int> used(bands.ofTriangle.begin(), bands.ofTriangle.end());
    EXPECT_EQ(used, std::set<int>{3});
    EXPECT_EQ(bands.names[0], "height -3e+38 to -1.5e+38");
    EXPECT_FALSE(same(bands.colours[0], bands.colours[3]));
}
