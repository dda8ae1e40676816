#include "meshfiles/MeshWeld.h"
#include "mesh/EdgeCounts.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/TubeEnds.h"
#include "meshfiles/WeldForPrinting.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <utility>

using namespace Vextal;

namespace {

constexpr float pi = std::numbers::pi_v<float>;

// Every edge walked once each way: closed, and wound one way throughout.
bool everyEdgeMatchedByItsReverse(const std::vector<Triangle>& triangles) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> walks;
    for (const Triangle& t : triangles) {
        ++walks[{t.i0, t.i1}];
        ++walks[{t.i1, t.i2}];
        ++walks[{t.i2, t.i0}];
    }
    for (const auto& [edge, count] : walks) {
        const auto reverse = walks.find({edge.second, edge.first});
        if (count != 1 || reverse == walks.end() || reverse->second != 1)
            return false;
    }
    return true;
}

// A ring torus (centre line radius 1, tube radius 0.4) with a full turn of theta.
PrimitiveSuperShapeToric ringTorus(bool closed) {
    PrimitiveSuperShapeToric torus;
    torus.setCoef1({1, 1, 1, 0, 1, 1});
    torus.setCoef2({1, 1, 1, 0, 0.4f, 0.4f});
    torus.thetaMin = -pi;
    torus.thetaMax = pi;
    torus.sliceCount = 24;
    torus.rotateCount = 16;
    torus.closed = closed;
    return torus;
}

SceneSummary thetaRange(const PrimitiveParametric& surface) {
    SceneSummary scene;
    scene.thetaMin = surface.thetaMin;
    scene.thetaMax = surface.thetaMax;
    return scene;
}

} // namespace

TEST(MeshWeld, copiesWithinTheToleranceMergeIntoTheFirstAndOthersStay) {
    // Two triangles of a unit square, each with its own corners; the copies of
    // the shared corners lie 1e-6 (merged) and 1e-4 (kept) away.
    TriangleList square{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 1e-6f}, {1, 1, 1e-4f}, {0, 1, 0}},
                        {{0, 1, 2}, {3, 4, 5}}};
    weld(square);
    ASSERT_EQ(square.vertices.size(), 5u);
    EXPECT_EQ(square.vertices[3].z, 1e-4f);
    EXPECT_EQ(square.triangles[1].i0, 0u);
    EXPECT_EQ(square.triangles[1].i1, 3u);
    EXPECT_EQ(square.triangles[1].i2, 4u);
}

// A unit cube's surface of 4 x 4 quads a side, every triangle with its own
// corners, each copy moved by a quarter of the tolerance one way or the other
// on each axis; a closed tetrahedron far off fixes the bounding box, so that
// shifting the cube by fractions of the tolerance puts the copies on every
// side of the weld's cell boundaries. The weld must close every seam.
TEST(MeshWeld, copiesOnEitherSideOfACellBoundaryMerge) {
    constexpr int n = 4;
    const double cell = weldRelativeTolerance * std::sqrt(12.0); // the box (-1 .. 1)^3
    for (const double shift : {0.0, 0.25, 0.5, 0.75}) {
        SCOPED_TRACE(shift);
        TriangleList mesh{{{-1, -1, -1}, {1, 1, -1}, {1, -1, 1}, {-1, 1, 1}},
                          {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}}};
        std::uint32_t copies = 0;
        const auto corner = [&](int axis, int side, int u, int v) {
            double p[3];
            p[axis] = side;
            p[(axis + 1) % 3] = double(u) / n;
            p[(axis + 2) % 3] = double(v) / n;
            Vec3 out;
            float* c[3] = {&out.x, &out.y, &out.z};
            for (int k = 0; k < 3; ++k) {
                const double sign = (copies * 7 + unsigned(k) * 3) % 5 < 2 ? -1 : 1;
                *c[k] = float(p[k] * 0.5 + (shift + 0.25 * sign) * cell);
            }
            ++copies;
            mesh.vertices.push_back(out);
            return std::uint32_t(mesh.vertices.size() - 1);
        };
        for (int axis = 0; axis < 3; ++axis)
            for (int side = 0; side < 2; ++side)
                for (int u = 0; u < n; ++u)
                    for (int v = 0; v < n; ++v) {
                        const std::uint32_t a = corner(axis, side, u, v),
                                            b = corner(axis, side, u + 1, v),
                                            c = corner(axis, side, u + 1, v + 1),
                                            d = corner(axis, side, u, v + 1);
                        const std::uint32_t e = corner(axis, side, u, v),
                                            f = corner(axis, side, u + 1, v + 1);
                        mesh.triangles.push_back(side ? Triangle{a, b, c} : Triangle{a, c, b});
                        mesh.triangles.push_back(side ? Triangle{e, f, d} : Triangle{e, d, f});
                    }
        weld(mesh);
        EXPECT_EQ(mesh.vertices.size(), 4u + 6 * n * n + 2);
        const EdgeCounts edges =
            countEdges(mesh.triangles.data(), std::uint32_t(mesh.triangles.size()));
        EXPECT_EQ(edges.open, 0u);
        EXPECT_EQ(edges.tangled, 0u);
        EXPECT_TRUE(everyEdgeMatchedByItsReverse(mesh.triangles));
    }
}

TEST(MeshWeld, degenerateTrianglesPairsAndUnusedVerticesGo) {
    TriangleList mesh{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 5, 5}, {0, 0, 1e-7f}},
                      {{0, 1, 2}, {2, 1, 0}, {0, 1, 3}, {0, 1, 3}, {3, 1, 0}, {0, 3, 5}}};
    weld(mesh);
    // The pair over 0, 1, 2 goes, one of the three over 0, 1, 3 stays, the
    // triangle whose corners 3 and 5 merged goes; vertices 2, 4, 5 are unused.
    ASSERT_EQ(mesh.triangles.size(), 1u);
    EXPECT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.triangles[0].i2, 2u);
    EXPECT_EQ(mesh.vertices[2].z, 1.0f);
}

TEST(MeshWeld, aCrowdOfCopiesAtOnePointMergesIntoTheFirstOnEveryThread) {
    // Half a million copies of two points a cell apart, in triangles with a
    // far corner: every copy is a neighbour of every other, which must not
    // cost a look at each pair (that would take hours).
    constexpr std::uint32_t copies = 250'000;
    TriangleList mesh{{{0, 0, 0}, {1, 1, 1}}, {}};
    for (std::uint32_t k = 0; k < copies; ++k) {
        mesh.vertices.push_back({0.5f, 0.5f, 0.5f});
        mesh.vertices.push_back({0.5f, 0.5f, 0.5f + 2e-5f});
        mesh.triangles.push_back({0, 2 + 2 * k, 1});
        mesh.triangles.push_back({0, 1, 3 + 2 * k});
    }
    weld(mesh, Workers{2});
    // Two triangles over the same corners are a pair: an even count goes.
    EXPECT_EQ(mesh.triangles.size(), 0u);
    EXPECT_EQ(mesh.vertices.size(), 0u);
}

TEST(MeshWeld, nonFiniteVerticesMergeWithNothingNorWidenTheBox) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    TriangleList mesh{{{0, 0, 0}, {1, 0, 0}, {nan, 0, 0}, {nan, 0, 0}, {inf, 0, 0}, {0, 0, 1e-6f}},
                      {{0, 1, 2}, {0, 1, 3}, {4, 1, 5}}};
    weld(mesh);
    EXPECT_EQ(mesh.vertices.size(), 5u);
    EXPECT_EQ(mesh.triangles[2].i2, 0u);
}

TEST(TubeEnds, aFullTurnIsTwoPiWithinTheWeldTolerance) {
    EXPECT_TRUE(thetaMakesFullTurn(-pi, pi));
    EXPECT_TRUE(thetaMakesFullTurn(-3.14159f, 3.14159f));
    EXPECT_TRUE(thetaMakesFullTurn(0, 2 * pi));
    EXPECT_FALSE(thetaMakesFullTurn(-pi / 2, pi / 2));
    EXPECT_FALSE(thetaMakesFullTurn(-3.1415f, 3.1415f));
}

TEST(WeldForPrinting, aFullTurnTorusClosesOpenOrCappedIntoTheSameSolid) {
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed" : "open");
        PrimitiveSuperShapeToric torus = ringTorus(closed);
        PolygonsIndexedNormal mesh;
        torus.tessellate(mesh);
        EXPECT_EQ(openEdgesWeldCloses(mesh, thetaRange(torus)), closed ? 0u : 32u);
        weldForPrinting(mesh, thetaRange(torus));
        // The caps' poles and fans are gone, one band joins the last ring to ring 0.
        EXPECT_EQ(mesh.vertexCount, 23u * 16);
        ASSERT_EQ(mesh.triangleCount, 2u * 23 * 16);
        EXPECT_TRUE(
            everyEdgeMatchedByItsReverse({mesh.triangles, mesh.triangles + mesh.triangleCount}));
        for (std::uint32_t v = 0; v < mesh.vertexCount; ++v) {
            const Vec3 p = mesh.vertices[v], n = mesh.normals[v];
            const float rho = std::hypot(p.x, p.y);
            const Vec3 fromCentreLine{p.x - p.x / rho, p.y - p.y / rho, p.z};
            EXPECT_GT(n.x * fromCentreLine.x + n.y * fromCentreLine.y + n.z * fromCentreLine.z,
                      0.9f * 0.4f)
                << "vertex " << v;
        }
    }
}

TEST(WeldForPrinting, onlyAToricFullTurnHasItsEndsJoined) {
    PrimitiveSuperShapeToric torus = ringTorus(false);
    PolygonsIndexedNormal mesh;
    torus.tessellate(mesh);
    SceneSummary spheric = thetaRange(torus);
    spheric.surface = SurfaceKind::spheric;
    EXPECT_EQ(weldedForPrinting(mesh, spheric).triangles.size(), mesh.triangleCount);
}

TEST(WeldForPrinting, aSurfaceWithoutAFullTurnIsOnlyWelded) {
    PrimitiveSuperShapeToric half = ringTorus(false);
    half.thetaMin = -pi / 2;
    half.thetaMax = pi / 2;
    PolygonsIndexedNormal mesh;
    half.tessellate(mesh);
    const TriangleList welded = weldedForPrinting(mesh, thetaRange(half));
    EXPECT_EQ(welded.vertices.size(), mesh.vertexCount);
    EXPECT_EQ(welded.triangles.size(), mesh.triangleCount);
    EXPECT_EQ(countEdges(mesh.triangles, mesh.triangleCount).open, 32u);
    EXPECT_EQ(openEdgesWeldCloses(mesh, thetaRange(half)), 0u);
}
