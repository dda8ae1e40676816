#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace Vextal;

namespace {

void expectTriangle(const Triangle& t, std::uint32_t i0, std::uint32_t i1, std::uint32_t i2) {
    EXPECT_EQ(t.i0, i0);
    EXPECT_EQ(t.i1, i1);
    EXPECT_EQ(t.i2, i2);
}

// Every directed edge must appear once and its reverse once: each edge shared
// by exactly two triangles walking it in opposite directions.
bool isClosedAndConsistentlyWound(const PolygonsIndexedNormal& mesh) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        ++edges[{f.i0, f.i1}];
        ++edges[{f.i1, f.i2}];
        ++edges[{f.i2, f.i0}];
    }
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        if (count != 1 || reverse == edges.end() || reverse->second != 1)
            return false;
    }
    return true;
}

} // namespace

TEST(TessellationCounts, defaultGridClosedAndOpen) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 92u);
    EXPECT_EQ(mesh.triangleCount, 180u);
    EXPECT_EQ(mesh.normalCount, 92u);

    spheric.closed = false;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 90u);
    EXPECT_EQ(mesh.triangleCount, 160u);
}

TEST(TessellationCounts, twoSlicesGiveOneRingAndOnlyCaps) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.sliceCount = 2;
    spheric.rotateCount = 7;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 9u);
    EXPECT_EQ(mesh.triangleCount, 14u);
    expectTriangle(mesh.triangles[0], 8, 0, 1);
    expectTriangle(mesh.triangles[1], 7, 1, 0);

    spheric.closed = false;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 7u);
    EXPECT_EQ(mesh.triangleCount, 0u);
}

TEST(TessellationCounts, gridsTooSmallToTessellateLeaveAnEmptyMesh) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    spheric.sliceCount = 1;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 0u);
    EXPECT_EQ(mesh.triangleCount, 0u);
    spheric.sliceCount = 10;
    spheric.rotateCount = 0;
    spheric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 0u);
}

TEST(TessellationCounts, largestGridFitsItsCounts) {
    PrimitiveSuperShapeToric toric;
    PolygonsIndexedNormal mesh;
    toric.sliceCount = 255;
    toric.rotateCount = 255;
    toric.tessellate(mesh);
    EXPECT_EQ(mesh.vertexCount, 64772u);
    EXPECT_EQ(mesh.triangleCount, 129540u);
}

TEST(TessellationTriangles, bandAndCapIndicesOfTheDefaultGrid) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    expectTriangle(mesh.triangles[0], 0, 10, 11);
    expectTriangle(mesh.triangles[1], 0, 11, 1);
    expectTriangle(mesh.triangles[18], 9, 19, 10);
    expectTriangle(mesh.triangles[19], 9, 10, 0);
    expectTriangle(mesh.triangles[160], 91, 0, 1);
    expectTriangle(mesh.triangles[161], 90, 81, 80);
    expectTriangle(mesh.triangles[178], 91, 9, 0);
    expectTriangle(mesh.triangles[179], 90, 80, 89);
}

TEST(TessellationTriangles, everyIndexNamesAVertex) {
    PrimitiveSphericalHarmonic harmonic;
    PolygonsIndexedNormal mesh;
    harmonic.sliceCount = 3;
    harmonic.rotateCount = 3;
    harmonic.tessellate(mesh);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        EXPECT_LT(mesh.triangles[t].i0, mesh.vertexCount);
        EXPECT_LT(mesh.triangles[t].i1, mesh.vertexCount);
        EXPECT_LT(mesh.triangles[t].i2, mesh.vertexCount);
    }
}

TEST(TessellationTriangles, closedSurfacesAreWatertightWithOneWinding) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    for (unsigned slices : {2u, 3u, 10u, 31u}) {
        spheric.sliceCount = std::uint8_t(slices);
        spheric.rotateCount = 13;
        spheric.tessellate(mesh);
        EXPECT_TRUE(isClosedAndConsistentlyWound(mesh)) << slices << " slices";
    }
    spheric.closed = false;
    spheric.tessellate(mesh);
    EXPECT_FALSE(isClosedAndConsistentlyWound(mesh));
}

TEST(TessellationTriangles, partialPhiRangeStillJoinsTheLastColumnToTheFirst) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.phiMin = 0.0f;
    spheric.phiMax = 3.14159265f;
    spheric.tessellate(mesh);
    expectTriangle(mesh.triangles[19], 9, 10, 0);
}

TEST(TessellationVertices, defaultSphericSurfaceFacts) {
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    mesh.computeNormals();
    const Vec3* v = mesh.vertices;
    EXPECT_NEAR(v[0].x, -0.0406, 1e-4);
    EXPECT_NEAR(v[0].y, 0.0, 1e-4);
    EXPECT_NEAR(v[0].z, -0.7956, 1e-4);
    EXPECT_NEAR(v[9].x, -0.1192, 1e-4);
    EXPECT_NEAR(v[9].y, 0.0866, 1e-4);
    EXPECT_NEAR(v[9].z, -0.7956, 1e-4);
    EXPECT_NEAR(v[90].z, 0.8300, 1e-4);
    EXPECT_NEAR(v[91].z, -0.8300, 1e-4);
    EXPECT_NEAR(v[90].x, 0.0, 1e-4);
    EXPECT_NEAR(v[91].y, 0.0, 1e-4);
}

TEST(TessellationVertices, normalsOfTheDefaultSphericSurfacePointOutwards) {
    // The surface is star-shaped about the origin: an outward normal has a
    // positive component along the position.
    PrimitiveSuperShapeSpheric spheric;
    PolygonsIndexedNormal mesh;
    spheric.tessellate(mesh);
    mesh.computeNormals();
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3 p = mesh.vertices[k];
        const Vec3 n = mesh.normals[k];
        EXPECT_GT(p.x * n.x + p.y * n.y + p.z * n.z, 0.0f) << "vertex " << k;
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5f);
    }
}

TEST(TessellationVertices, anglesAdvanceByRepeatedAddition) {
    // Column j of every ring must come from the same phi: with a radius that
    // depends on phi only, every ring has identical x/y directions.
    PrimitiveSuperShapeToric toric;
    PolygonsIndexedNormal mesh;
    toric.rotateCount = 7;
    toric.tessellate(mesh);
    for (unsigned ring = 1; ring < 9; ++ring)
        for (unsigned j = 0; j < 7; ++j) {
            const Vec3 a = mesh.vertices[j];
            const Vec3 b = mesh.vertices[ring * 7 + j];
            EXPECT_NEAR(a.x * b.y - a.y * b.x, 0.0f, 1e-6f);
        }
}
