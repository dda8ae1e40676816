#include "meshfiles/ObjWriter.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "output/OutputFile.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <vector>

using namespace Vextal;

namespace {

struct ObjContent {
    std::string comment;
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<std::string> faces;
};

float parseFloat(const std::string& word) {
    return std::strtof(word.c_str(), nullptr);
}

ObjContent parseObj(const std::string& text) {
    ObjContent obj;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string tag, x, y, z;
        words >> tag;
        if (tag == "#")
            obj.comment = line;
        else if (tag == "v" || tag == "vn") {
            words >> x >> y >> z;
            (tag == "v" ? obj.positions : obj.normals)
                .push_back({parseFloat(x), parseFloat(y), parseFloat(z)});
        } else if (tag == "f")
            obj.faces.push_back(line);
    }
    return obj;
}

bool sameBits(Vec3 a, Vec3 b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string writeToString(const PolygonsIndexedNormal& mesh, const std::string& comment) {
    VextalTest::TempDir dir;
    const std::string path = dir.path("mesh.obj");
    OutputFile file(path);
    writeObj(file.stream(), mesh, comment);
    EXPECT_TRUE(file.commit());
    return VextalTest::readFile(path);
}

} // namespace

TEST(ObjWriter, writesEveryVertexAndNormalSoTheyReadBackBitExactly) {
    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 17;
    toric.rotateCount = 23;
    PolygonsIndexedNormal mesh;
    toric.tessellate(mesh);
    mesh.computeNormals();

    const ObjContent obj = parseObj(writeToString(mesh, "toric"));
    EXPECT_EQ(obj.comment, "# toric");
    ASSERT_EQ(obj.positions.size(), mesh.vertexCount);
    ASSERT_EQ(obj.normals.size(), mesh.normalCount);
    ASSERT_EQ(obj.faces.size(), mesh.triangleCount);
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        EXPECT_TRUE(sameBits(obj.positions[k], mesh.vertices[k])) << k;
        EXPECT_TRUE(sameBits(obj.normals[k], mesh.normals[k])) << k;
    }
}

TEST(ObjWriter, facesAreOneBasedWithTheLastTwoCornersSwapped) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(3, 1);
    mesh.triangles[0] = {0, 1, 2};
    const ObjContent obj = parseObj(writeToString(mesh, "one"));
    ASSERT_EQ(obj.faces.size(), 1u);
    EXPECT_EQ(obj.faces[0], "f 1//1 3//3 2//2");
}

TEST(ObjWriter, nonFiniteValuesAreWrittenForInspection) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(1, 0);
    mesh.vertices[0] = {-std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity()};
    const std::string text = writeToString(mesh, "c");
    EXPECT_NE(text.find("v nan inf -inf\n"), std::string::npos) << text;
}
