#include "mesh/EdgeCounts.h"
#include "mesh/FaceNormal.h"
#include "mesh/MeshEdges.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Vextal;

namespace {

void expectVec(Vec3 actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

// The mesh of a unit right triangle in the x-y plane, plus optional extra
// vertices and triangles.
void fill(PolygonsIndexedNormal& mesh, std::initializer_list<Vec3> vertices,
          std::initializer_list<Triangle> triangles) {
    mesh.allocate(std::uint32_t(vertices.size()), std::uint32_t(triangles.size()));
    std::copy(vertices.begin(), vertices.end(), mesh.vertices);
    std::copy(triangles.begin(), triangles.end(), mesh.triangles);
    mesh.computeNormals();
}

} // namespace

TEST(MeshSizing, allocateZeroLeavesAnEmptyMeshAndReleaseTwiceIsHarmless) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(0, 0);
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.triangles, nullptr);
    EXPECT_EQ(mesh.normals, nullptr);
    mesh.computeNormals();
    mesh.release();
    mesh.release();
    EXPECT_EQ(mesh.vertexCount + mesh.triangleCount + mesh.normalCount, 0u);
}

TEST(MeshSizing, reallocatingWithTheSameCountsGivesFreshZeroedArrays) {
    PolygonsIndexedNormal mesh;
    fill(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    mesh.allocate(3, 1);
    EXPECT_EQ(mesh.normalCount, 3u);
    for (std::uint32_t k = 0; k < 3; ++k) {
        expectVec(mesh.vertices[k], 0, 0, 0);
        expectVec(mesh.normals[k], 0, 0, 0);
    }
}

TEST(MeshSizing, releaseThroughTheBaseDropsTheNormalsToo) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(4, 2);
    PolygonsBase& base = mesh;
    base.release();
    EXPECT_EQ(mesh.normals, nullptr);
    EXPECT_EQ(mesh.normalCount, 0u);
    EXPECT_EQ(mesh.triangles, nullptr);
}

TEST(MeshNormals, singleTriangleNormalPointsDownTheZAxis) {
    PolygonsIndexedNormal mesh;
    fill(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    expectVec(faceNormal(mesh.triangles[0], mesh.vertices), 0, 0, -1);
    for (std::uint32_t k = 0; k < 3; ++k)
        expectVec(mesh.normals[k], 0, 0, -1);
}

TEST(MeshNormals, sharedVerticesAverageUnitFaceNormals) {
    PolygonsIndexedNormal mesh;
    fill(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 3, 1}});
    expectVec(faceNormal(mesh.triangles[1], mesh.vertices), 0, -1, 0);
    expectVec(mesh.normals[0], 0, -0.7071068f, -0.7071068f);
    expectVec(mesh.normals[1], 0, -0.7071068f, -0.7071068f);
    expectVec(mesh.normals[2], 0, 0, -1);
    expectVec(mesh.normals[3], 0, -1, 0);
}

TEST(MeshNormals, unusedVerticesAndRepeatedIndicesContributeNothing) {
    PolygonsIndexedNormal mesh;
    fill(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2}, {1, 1, 2}});
    expectVec(mesh.normals[3], 0, 0, 0);
    expectVec(faceNormal(mesh.triangles[1], mesh.vertices), 0, 0, 0);
    expectVec(mesh.normals[1], 0, 0, -1);
}

TEST(MeshNormals, faceNormalAtOrBelowTheThresholdIsAddedUnnormalized) {
    // Cross product length 1e-17 (below 3e-17): kept as computed.
    const Vec3 vertices[] = {{0, 0, 0}, {1e-8f, 0, 0}, {0, 1e-9f, 0}};
    const Vec3 n = faceNormal({0, 1, 2}, vertices);
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, -1e-17f);
    // Just above the threshold it is made unit length.
    const Vec3 larger[] = {{0, 0, 0}, {1e-8f, 0, 0}, {0, 1e-8f, 0}};
    EXPECT_FLOAT_EQ(faceNormal({0, 1, 2}, larger).z, -1.0f);
}

TEST(MeshNormals, nanLengthLeavesTheVectorUnchanged) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vec3 v = normalizedOrKept({nan, 1.0f, 0.0f});
    EXPECT_TRUE(std::isnan(v.x));
    EXPECT_EQ(v.y, 1.0f);
}

TEST(EdgeCounts, aClosedSurfaceUsesEachEdgeOnceEachWayAndAFlippedFaceTanglesItsEdges) {
    // A tetrahedron, every face wound the same way round.
    Triangle faces[] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}};
    EXPECT_TRUE(countEdges(faces, 4).watertight());
    EXPECT_EQ(countEdges(faces, 3).open, 3u); // one face missing: its rim
    faces[0] = {0, 2, 1};                     // one face turned over
    EXPECT_EQ(countEdges(faces, 4).tangled, 3u);

    // A sheet of more than 2^20 triangles, whose edges are counted a range
    // of vertices at a time: the rim is open, a face turned over tangles.
    const std::uint32_t columns = 1025, rows = 520, width = columns + 1;
    std::vector<Triangle> sheet;
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::uint32_t c = 0; c < columns; ++c) {
            const std::uint32_t v = r * width + c;
            sheet.push_back({v, v + 1, v + width + 1});
            sheet.push_back({v, v + width + 1, v + width});
        }
    ASSERT_GT(sheet.size(), 1u << 20);
    EXPECT_EQ(countEdges(sheet.data(), std::uint32_t(sheet.size())).open, 2 * (columns + rows));
    std::swap(sheet[sheet.size() / 2].i1, sheet[sheet.size() / 2].i2);
    const EdgeCounts turned = countEdges(sheet.data(), std::uint32_t(sheet.size()));
    EXPECT_EQ(turned.tangled, 3u);
    EXPECT_EQ(turned.open, 2 * (columns + rows));
}

namespace {

std::vector<std::uint32_t> edgesOfTriangles(const PolygonsIndexedNormal& mesh) {
    std::vector<std::uint32_t> edges;
    triangleEdges(mesh.triangles, mesh.triangleCount, mesh.vertexCount, edges);
    return edges;
}

} // namespace

TEST(MeshEdges, eachEdgeOnceInTheOrderAndDirectionItIsDrawnLast) {
    // Two triangles sharing 1-2, a third repeating the first turned round,
    // and one reaching past the four vertices.
    const Triangle triangles[] = {{0, 1, 2}, {2, 1, 3}, {1, 0, 2}, {3, 9, 0}};
    std::vector<std::uint32_t> edges{7, 7};
    triangleEdges(triangles, 4, 4, edges);
    EXPECT_EQ(edges, (std::vector<std::uint32_t>{1, 3, 3, 2, 1, 0, 0, 2, 2, 1, 0, 3}));

    PolygonsIndexedNormal mesh;
    fill(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {2, 1, 3}});
    meshEdges(mesh, edges);
    EXPECT_EQ(edges, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 1, 1, 3, 3, 2}));
}

TEST(MeshEdges, aRingGridsEdgesComeFromItsDescriptionAsTheTrianglesWouldGiveThem) {
    PolygonsIndexedNormal mesh;
    std::vector<std::uint32_t> edges;
    for (std::uint32_t rings : {1u, 2u, 3u, 4u, 17u, 254u})
        for (std::uint32_t columns : {3u, 4u, 5u, 16u, 255u})
            for (bool capped : {true, false}) {
                const RingGrid grid{rings, columns, capped};
                mesh.allocate(grid.vertexCount(), grid.triangleCount());
                mesh.writeRingGrid(grid);
                meshEdges(mesh, edges);
                ASSERT_EQ(edges, edgesOfTriangles(mesh)) << rings << " x " << columns << capped;
            }
    // Every edge of the largest grid once: 388,620 triangle sides, 194,310 edges.
    ringGridEdges(RingGrid{254, 255, true}, edges);
    EXPECT_EQ(edges.size(), 2u * 194310u);
}
