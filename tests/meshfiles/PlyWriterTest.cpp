#include "meshfiles/PlyWriter.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/ExportedFile.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Vextal;
using VextalTest::LittleEndianReader;

namespace {

std::size_t bodyStart(const std::string& bytes) {
    const std::string end = "end_header\n";
    const std::size_t at = bytes.find(end);
    return at == std::string::npos ? at : at + end.size();
}

void fillToric(PolygonsIndexedNormal& mesh) {
    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 17;
    toric.rotateCount = 23;
    toric.tessellate(mesh);
    mesh.computeNormals();
}

} // namespace

TEST(PlyWriter, headerDeclaresBinaryLittleEndianVerticesWithNormalsAndTriangleLists) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(4, 2);
    mesh.triangles[0] = {0, 1, 2};
    mesh.triangles[1] = {0, 2, 3};
    const std::string bytes = VextalTest::exportToBytes(writePly, mesh, "two\nlines");
    const std::size_t body = bodyStart(bytes);
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(bytes.substr(0, body), "ply\n"
                                     "format binary_little_endian 1.0\n"
                                     "comment two lines\n"
                                     "element vertex 4\n"
                                     "property float x\n"
                                     "property float y\n"
                                     "property float z\n"
                                     "property float nx\n"
                                     "property float ny\n"
                                     "property float nz\n"
                                     "element face 2\n"
                                     "property list uchar uint vertex_indices\n"
                                     "end_header\n");
    EXPECT_EQ(bytes.size(), body + 4 * 24 + 2 * 13);
}

TEST(PlyWriter, verticesAndNormalsReadBackBitExactlyAsLittleEndian) {
    PolygonsIndexedNormal mesh;
    fillToric(mesh);
    const std::string bytes = VextalTest::exportToBytes(writePly, mesh, "toric");
    LittleEndianReader in(bytes, bodyStart(bytes));
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        EXPECT_TRUE(VextalTest::sameBits(in.vec3(), mesh.vertices[k])) << "vertex " << k;
        EXPECT_TRUE(VextalTest::sameBits(in.vec3(), mesh.normals[k])) << "normal " << k;
    }
}

TEST(PlyWriter, facesAreThreeIndicesWithTheLastTwoCornersSwapped) {
    PolygonsIndexedNormal mesh;
    fillToric(mesh);
    ASSERT_GT(mesh.vertexCount, 256u) << "indices should need more than one byte";
    const std::string bytes = VextalTest::exportToBytes(writePly, mesh, "toric");
    LittleEndianReader in(bytes, bodyStart(bytes) + 24 * std::size_t(mesh.vertexCount));
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        ASSERT_EQ(in.u8(), 3) << t;
        EXPECT_EQ(in.u32(), f.i0) << t;
        EXPECT_EQ(in.u32(), f.i2) << t;
        EXPECT_EQ(in.u32(), f.i1) << t;
    }
    EXPECT_EQ(in.offset(), bytes.size());
}

TEST(PlyWriter, floatsGoOutLeastSignificantByteFirstWithTheirExactBits) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(1, 0);
    mesh.vertices[0] = {-0.0f, std::numeric_limits<float>::denorm_min(), 1.1f};
    mesh.normals[0] = {std::numeric_limits<float>::max(), -1.0f, 0.5f};
    const std::string bytes = VextalTest::exportToBytes(writePly, mesh, "c");
    const std::string expected("\x00\x00\x00\x80"
                               "\x01\x00\x00\x00"
                               "\xCD\xCC\x8C\x3F"
                               "\xFF\xFF\x7F\x7F"
                               "\x00\x00\x80\xBF"
                               "\x00\x00\x00\x3F",
                               24);
    EXPECT_EQ(bytes.substr(bodyStart(bytes)), expected);
}
