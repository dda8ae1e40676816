// The gathered normals of a tessellated grid against the per-triangle
// reference, bit for bit, on positions chosen to be hard: random, degenerate,
// tiny (around the 3e-17 threshold), huge (overflowing), NaN and infinite.

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/MeshCompare.h"
#include "support/ReferenceTessellation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sys/resource.h>

using namespace Vextal;
using VextalTest::sameMeshAnyNaN;

namespace {

// The normals of `mesh` by the production code and by the reference, from the
// same vertices and triangles.
::testing::AssertionResult normalsMatch(PolygonsIndexedNormal& mesh) {
    PolygonsIndexedNormal reference;
    reference.allocate(mesh.vertexCount, mesh.triangleCount);
    // copy_n, not memcpy: an array of no elements is null, which memcpy may not be given.
    std::copy_n(mesh.vertices, mesh.vertexCount, reference.vertices);
    std::copy_n(mesh.triangles, mesh.triangleCount, reference.triangles);
    mesh.computeNormals();
    VextalReference::computeNormals(reference);
    return sameMeshAnyNaN(mesh, reference);
}

void tessellate(unsigned slices, unsigned rotations, bool closed, PolygonsIndexedNormal& mesh) {
    PrimitiveSuperShapeSpheric spheric;
    spheric.sliceCount = std::uint8_t(slices);
    spheric.rotateCount = std::uint8_t(rotations);
    spheric.closed = closed;
    spheric.tessellate(mesh);
}

// Replaces every position with values from `pick`.
template <class Pick> void scramble(PolygonsIndexedNormal& mesh, Pick pick) {
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k)
        mesh.vertices[k] = {pick(), pick(), pick()};
}

} // namespace

TEST(RingGridNormals, tessellationDescribesItsGrid) {
    PolygonsIndexedNormal mesh;
    tessellate(10, 7, true, mesh);
    EXPECT_EQ(mesh.ringGrid().rings, 9u);
    EXPECT_EQ(mesh.ringGrid().columns, 7u);
    EXPECT_TRUE(mesh.ringGrid().capped);
    EXPECT_EQ(mesh.ringGrid().triangleCount(), mesh.triangleCount);
    mesh.allocate(5, 5);
    EXPECT_EQ(mesh.ringGrid().rings, 0u);
    tessellate(10, 7, false, mesh);
    mesh.release();
    EXPECT_EQ(mesh.ringGrid().columns, 0u);
}

TEST(RingGridNormals, randomPositionsOnEveryGridShape) {
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> coordinate(-2.0f, 2.0f);
    PolygonsIndexedNormal mesh;
    for (unsigned slices : {2u, 3u, 4u, 5u, 17u, 255u})
        for (unsigned rotations : {3u, 4u, 5u, 8u, 15u, 16u, 17u, 33u, 254u, 255u})
            for (bool closed : {true, false}) {
                tessellate(slices, rotations, closed, mesh);
                scramble(mesh, [&] { return coordinate(generator); });
                ASSERT_TRUE(normalsMatch(mesh)) << slices << " x " << rotations;
            }
}

TEST(RingGridNormals, lengthsAroundTheThresholdAndDegenerateTriangles) {
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    PolygonsIndexedNormal mesh;
    // Cross products of edges of size s are about s squared: sweep s across
    // the scale where they pass 3e-17, and far below into subnormals.
    for (float scale = 1e-6f; scale > 1e-25f; scale *= 0.5f) {
        tessellate(9, 19, true, mesh);
        scramble(mesh, [&] { return unit(generator) * scale; });
        ASSERT_TRUE(normalsMatch(mesh)) << scale;
    }
    // Coordinates from a handful of values: many repeated points and
    // collinear triangles, zero and negative zero.
    const float few[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-9f};
    std::uniform_int_distribution<int> index(0, 4);
    tessellate(12, 12, true, mesh);
    scramble(mesh, [&] { return few[index(generator)]; });
    ASSERT_TRUE(normalsMatch(mesh));
}

TEST(RingGridNormals, hugeNaNAndInfinitePositions) {
    std::mt19937 generator(13);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float special[] = {3e38f, -3e38f, 1e20f, -1e19f, inf, -inf, nan, 0.0f, 1.0f, 1e-40f};
    std::uniform_int_distribution<int> index(0, 9);
    std::uniform_int_distribution<int> odds(0, 9);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    PolygonsIndexedNormal mesh;
    for (int round = 0; round < 20; ++round) {
        tessellate(6 + round, 3 + round * 5, round % 2 == 0, mesh);
        scramble(mesh, [&] {
            return odds(generator) == 0 ? special[index(generator)] : coordinate(generator);
        });
        ASSERT_TRUE(normalsMatch(mesh)) << round;
    }
    // Every bit pattern is a possible position; random ones include NaNs
    // with payloads, subnormals and infinities.
    std::uniform_int_distribution<std::uint32_t> bits;
    tessellate(20, 20, true, mesh);
    scramble(mesh, [&] { return std::bit_cast<float>(bits(generator)); });
    ASSERT_TRUE(normalsMatch(mesh));
}

TEST(RingGridNormals, onlyAMeshWrittenAsAGridGathersItsNormals) {
    // The triangles of a grid copied into a plain mesh, one of them turned
    // round in the middle of the band, where no sample of a few triangles
    // would look: the mesh is not a grid and its normals must say so.
    PolygonsIndexedNormal grid;
    tessellate(12, 9, true, grid);
    PolygonsIndexedNormal mesh;
    mesh.allocate(grid.vertexCount, grid.triangleCount);
    std::copy_n(grid.vertices, grid.vertexCount, mesh.vertices);
    std::copy_n(grid.triangles, grid.triangleCount, mesh.triangles);
    std::swap(mesh.triangles[grid.triangleCount / 3].i1, mesh.triangles[grid.triangleCount / 3].i2);
    EXPECT_EQ(mesh.ringGrid().rings, 0u);
    ASSERT_TRUE(normalsMatch(mesh));
}

#if !defined(NDEBUG)
TEST(RingGridNormalsDeathTest, aGridThatDoesNotFitTheArraysIsRefused) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(RingGrid{11, 9, true}.vertexCount(), RingGrid{11, 9, true}.triangleCount());
    EXPECT_DEATH(mesh.writeRingGrid(RingGrid{11, 10, true}), "");
}
#endif

#if !defined(__SANITIZE_ADDRESS__)
TEST(ArrayMemory, reloadingTheLargestGridCostsNoPageFaults) {
    // glibc would map and unmap (or trim) arrays this large on every load,
    // paying one fault per page: about 760 per load here.
    PolygonsIndexedNormal mesh;
    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 255;
    toric.rotateCount = 255;
    for (int warm = 0; warm < 3; ++warm) {
        toric.tessellate(mesh);
        mesh.computeNormals();
    }
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    for (int load = 0; load < 10; ++load) {
        toric.tessellate(mesh);
        mesh.computeNormals();
    }
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_minflt - before.ru_minflt, 100);
}
#endif
