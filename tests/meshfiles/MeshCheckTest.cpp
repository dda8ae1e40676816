#include "meshfiles/MeshCheck.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeToric.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Vextal;

namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

// Three triangles around an apex, with their normals computed.
void fillFan(PolygonsIndexedNormal& mesh, Vec3 apex, Vec3 a, Vec3 b, Vec3 c) {
    mesh.allocate(4, 3);
    mesh.vertices[0] = apex;
    mesh.vertices[1] = a;
    mesh.vertices[2] = b;
    mesh.vertices[3] = c;
    mesh.triangles[0] = {0, 1, 2};
    mesh.triangles[1] = {0, 2, 3};
    mesh.triangles[2] = {0, 3, 1};
    mesh.computeNormals();
}

} // namespace

TEST(MeshCheck, aFiniteSurfacePassesBothChecks) {
    PrimitiveSuperShapeToric toric;
    PolygonsIndexedNormal mesh;
    toric.tessellate(mesh);
    mesh.computeNormals();
    EXPECT_EQ(checkFinitePositions(mesh), "");
    EXPECT_EQ(checkFinitePositionsAndNormals(mesh), "");
}

TEST(MeshCheck, refusalCountsEveryVertexWithANonFiniteCoordinate) {
    PolygonsIndexedNormal mesh;
    fillFan(mesh, {0, 0, 0}, {nan, 0, 0}, {0, 0, -inf}, {1, inf, nan});
    EXPECT_EQ(checkFinitePositions(mesh), "3 of 4 vertices have NaN or infinite coordinates");
    EXPECT_EQ(checkFinitePositionsAndNormals(mesh), checkFinitePositions(mesh));
}

TEST(MeshCheck, normalsThatOverflowAreRefusedWhereNormalsAreWritten) {
    // Finite but huge: the single-precision cross products overflow, and the
    // normals of every vertex come out NaN.
    PolygonsIndexedNormal mesh;
    fillFan(mesh, {0, 0, 0}, {1e30f, 0, 0}, {0, 1e30f, 0}, {0, 0, 1e30f});
    EXPECT_EQ(checkFinitePositions(mesh), "");
    const std::string reason = checkFinitePositionsAndNormals(mesh);
    EXPECT_EQ(reason.rfind("4 of 4 vertex normals are NaN or infinite", 0), 0u) << reason;
}
