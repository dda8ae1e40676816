#include "meshfiles/StlWriter.h"
#include "mesh/FaceNormal.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeSpheric.h"
#include "support/ExportedFile.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Vextal;
using VextalTest::LittleEndianReader;

namespace {

constexpr std::size_t headerSize = 80;
constexpr std::size_t facetSize = 50;

struct Facet {
    Vec3 normal, a, b, c;
    std::uint16_t attributes;
};

Facet readFacet(const std::string& bytes, std::uint32_t index) {
    LittleEndianReader in(bytes, headerSize + 4 + facetSize * index);
    Facet f;
    f.normal = in.vec3();
    f.a = in.vec3();
    f.b = in.vec3();
    f.c = in.vec3();
    f.attributes = in.u16();
    return f;
}

void fillOneTriangle(PolygonsIndexedNormal& mesh, Vec3 p0, Vec3 p1, Vec3 p2) {
    mesh.allocate(3, 1);
    mesh.vertices[0] = p0;
    mesh.vertices[1] = p1;
    mesh.vertices[2] = p2;
    mesh.triangles[0] = {0, 1, 2};
}

double dot(Vec3 a, Vec3 b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

} // namespace

TEST(StlWriter, headerHoldsTheCommentPaddedWithZerosThenTheFacetCount) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(3, 2);
    mesh.triangles[0] = mesh.triangles[1] = {0, 1, 2};
    const std::string bytes = VextalTest::exportToBytes(writeStl, mesh, "vextal");
    ASSERT_EQ(bytes.size(), headerSize + 4 + 2 * facetSize);
    EXPECT_EQ(bytes.substr(0, headerSize), "vextal" + std::string(headerSize - 6, '\0'));
    EXPECT_EQ(bytes.substr(headerSize, 4), std::string("\x02\x00\x00\x00", 4));
}

TEST(StlWriter, headerCutsALongCommentAndNeverStartsWithSolid) {
    PolygonsIndexedNormal mesh;
    const std::string longComment(200, 'x');
    std::string bytes = VextalTest::exportToBytes(writeStl, mesh, longComment);
    ASSERT_EQ(bytes.size(), headerSize + 4);
    EXPECT_EQ(bytes.substr(0, headerSize), longComment.substr(0, headerSize));

    // Readers take a file beginning with "solid" for text STL.
    bytes = VextalTest::exportToBytes(writeStl, mesh, "solid shape");
    EXPECT_EQ(bytes.substr(0, 12), " solid shape");
}

TEST(StlWriter, cornersAreWrittenAsI0I2I1BitExactlyWithZeroAttributes) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    const std::string bytes = VextalTest::exportToBytes(writeStl, mesh, "spheric");
    ASSERT_EQ(bytes.size(), headerSize + 4 + facetSize * mesh.triangleCount);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& tri = mesh.triangles[t];
        const Facet f = readFacet(bytes, t);
        EXPECT_TRUE(VextalTest::sameBits(f.a, mesh.vertices[tri.i0])) << t;
        EXPECT_TRUE(VextalTest::sameBits(f.b, mesh.vertices[tri.i2])) << t;
        EXPECT_TRUE(VextalTest::sameBits(f.c, mesh.vertices[tri.i1])) << t;
        EXPECT_EQ(f.attributes, 0) << t;
    }
}

TEST(StlWriter, facetNormalIsTheUnitRightHandedNormalOfTheWrittenCorners) {
    // Written as (0,0,0), (0,1,0), (1,0,0): the right-handed normal is -z,
    // which is also the mesh's own face normal of triangle (0, 1, 2).
    PolygonsIndexedNormal mesh;
    fillOneTriangle(mesh, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    const Facet f = readFacet(VextalTest::exportToBytes(writeStl, mesh, "t"), 0);
    EXPECT_TRUE(VextalTest::sameBits(f.normal, {0.0f, 0.0f, -1.0f}));
}

TEST(StlWriter, facetNormalsPointOutOfTheSurfaceLikeTheMeshFaceNormals) {
    PrimitiveSuperShapeSpheric spheric;
    spheric.sliceCount = 31;
    spheric.rotateCount = 37;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    const std::string bytes = VextalTest::exportToBytes(writeStl, mesh, "spheric");
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Vec3 written = readFacet(bytes, t).normal;
        EXPECT_NEAR(dot(written, written), 1.0, 1e-6) << t;
        EXPECT_NEAR(dot(written, faceNormal(mesh.triangles[t], mesh.vertices)), 1.0, 1e-4) << t;
    }
}

TEST(StlWriter, facetNormalIsZeroWithoutAreaAndFiniteForHugeCoordinates) {
    PolygonsIndexedNormal flat;
    fillOneTriangle(flat, {1, 2, 3}, {2, 4, 6}, {3, 6, 9});
    Facet f = readFacet(VextalTest::exportToBytes(writeStl, flat, "t"), 0);
    EXPECT_TRUE(VextalTest::sameBits(f.normal, {0, 0, 0}));

    // The single-precision cross product of these would overflow to infinity.
    PolygonsIndexedNormal huge;
    fillOneTriangle(huge, {0, 0, 0}, {3e38f, 0, 0}, {0, 3e38f, 0});
    f = readFacet(VextalTest::exportToBytes(writeStl, huge, "t"), 0);
    EXPECT_TRUE(VextalTest::sameBits(f.normal, {0.0f, 0.0f, -1.0f}));
}
