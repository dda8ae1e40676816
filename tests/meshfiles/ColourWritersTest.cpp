// Per-vertex colours in PLY, OBJ and glTF, read back from the bytes.
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/GltfWriter.h"
#include "meshfiles/ObjWriter.h"
#include "meshfiles/PlyWriter.h"
#include "output/OutputFile.h"
#include "support/ExportedFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cmath>
#include <sstream>

using namespace Vextal;

namespace {

// Three vertices, the middle one's value not finite.
void fillColoured(PolygonsIndexedNormal& mesh, VertexColours& colours) {
    mesh.allocate(3, 1);
    mesh.vertices[0] = {0, 0, 0};
    mesh.vertices[1] = {1, 0, 0};
    mesh.vertices[2] = {0, 1, 0};
    mesh.triangles[0] = {0, 1, 2};
    mesh.computeNormals();
    colours = {
        "mean", -2.0f, 2.0f, {-1.5f, NAN, 0.25f}, {{0, 128, 255}, {96, 96, 96}, {255, 1, 2}}};
}

template <class Write> std::string written(Write&& write) {
    VextalTest::TempDir dir;
    const std::string path = dir.path("mesh.out");
    OutputFile file(path);
    write(file.stream());
    EXPECT_TRUE(file.commit());
    return VextalTest::readFile(path);
}

} // namespace

TEST(ColourWriters, plyCarriesRgbAndTheValueAsQuality) {
    PolygonsIndexedNormal mesh;
    VertexColours colours;
    fillColoured(mesh, colours);
    const std::string bytes =
        written([&](std::FILE* out) { writePly(out, mesh, "c", Workers{}, &colours); });
    EXPECT_NE(bytes.find("comment colour mean, range -2 to 2\n"), std::string::npos);
    EXPECT_NE(bytes.find("property float nz\nproperty uchar red\nproperty uchar green\n"
                         "property uchar blue\nproperty float quality\nelement face 1\n"),
              std::string::npos);
    const std::size_t body = bytes.find("end_header\n") + 11;
    ASSERT_EQ(bytes.size(), body + 3 * 31 + 13);
    for (std::uint32_t v = 0; v < 3; ++v) {
        VextalTest::LittleEndianReader in(bytes, body + 31 * v + 24);
        EXPECT_EQ(in.u8(), colours.colours[v].r);
        EXPECT_EQ(in.u8(), colours.colours[v].g);
        EXPECT_EQ(in.u8(), colours.colours[v].b);
        EXPECT_EQ(in.u32(), std::bit_cast<std::uint32_t>(colours.values[v])) << v;
    }
}

TEST(ColourWriters, objVertexLinesEndInTheColourFromZeroToOne) {
    PolygonsIndexedNormal mesh;
    VertexColours colours;
    fillColoured(mesh, colours);
    std::istringstream lines(written([&](std::FILE* out) { writeObj(out, mesh, "c", &colours); }));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line, "# colour mean, range -2 to 2");
    for (std::uint32_t v = 0; v < 3; ++v) {
        std::getline(lines, line);
        std::istringstream words(line);
        std::string tag;
        float x, y, z, rgb[3];
        words >> tag >> x >> y >> z >> rgb[0] >> rgb[1] >> rgb[2];
        ASSERT_TRUE(words && tag == "v") << line;
        EXPECT_TRUE(words.eof()) << line;
        const std::uint8_t want[3] = {colours.colours[v].r, colours.colours[v].g,
                                      colours.colours[v].b};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(std::lround(rgb[k] * 255), want[k]) << line;
    }
}

// The validator checks the file's form (tests/tools/export-formats.sh); this
// checks that COLOR_0 holds each vertex's colour, made linear.
TEST(ColourWriters, glbColorZeroHoldsTheLinearColourOfEachVertex) {
    PolygonsIndexedNormal mesh;
    VertexColours colours;
    fillColoured(mesh, colours);
    const std::string bytes = written([&](std::FILE* out) { writeGlb(out, mesh, "c", &colours); });
    VextalTest::LittleEndianReader header(bytes, 12);
    const std::uint32_t jsonSize = header.u32();
    const auto json = nlohmann::json::parse(bytes.substr(20, jsonSize));
    const auto& primitive = json["meshes"][0]["primitives"][0];
    const int accessor = primitive["attributes"]["COLOR_0"];
    const auto& colour = json["accessors"][accessor];
    EXPECT_EQ(colour["type"], "VEC3");
    EXPECT_EQ(colour["componentType"], 5126);
    EXPECT_EQ(colour["count"], 3);
    EXPECT_EQ(json["nodes"][0]["extras"]["colour"], "mean");
    const std::size_t offset = json["bufferViews"][int(colour["bufferView"])]["byteOffset"];
    VextalTest::LittleEndianReader in(bytes, 20 + jsonSize + 8 + offset);
    const float expected[3][3] = {
        {0, 0.2158605f, 1}, {0.1169707f, 0.1169707f, 0.1169707f}, {1, 0.000303527f, 0.000607054f}};
    for (int v = 0; v < 3; ++v)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(in.f32(), expected[v][k], 1e-6) << v << " " << k;
}
