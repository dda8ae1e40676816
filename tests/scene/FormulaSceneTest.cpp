#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "scene/SceneValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace Vextal;

namespace {

// Distance in float steps between two floats of the same sign.
long ulpsApart(float a, float b) {
    std::int32_t ia, ib;
    std::memcpy(&ia, &a, 4);
    std::memcpy(&ib, &b, 4);
    return std::labs(long(ia) - long(ib));
}

SceneLoadResult load(const std::string& text, PolygonsIndexedNormal& mesh) {
    return loadSceneText(text, mesh);
}

} // namespace

// The starfish typed with superformula is the built-in starfish: every ring
// vertex within 1 ulp of float (in fact the same bits: the same formula, the
// same angles, the same order of operations). The typed grid holds the ends
// of its ranges as rows of their own where the built-in has one pole vertex.
TEST(FormulaScene, typedStarfishIsTheBuiltInStarfish) {
    PolygonsIndexedNormal builtIn, typed;
    ASSERT_TRUE(load("\"sss\nslice 64 rotate 240\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\n"
                     "render\n",
                     builtIn)
                    .rendered());
    const SceneLoadResult loaded =
        load("\"xyz\nslice 64 rotate 240\nurange -1.57079637 1.57079637\n"
             "vrange -3.14159274 3.14159274\n"
             "x cos(v) * (cos(u) * (superformula(v, 2, 7, 7, 5, 1, 1) * "
             "superformula(u, 2, 2, 2, 4, 0.8, 0.24)))\n"
             "y sin(v) * (cos(u) * (superformula(v, 2, 7, 7, 5, 1, 1) * "
             "superformula(u, 2, 2, 2, 4, 0.8, 0.24)))\n"
             "z sin(u) * superformula(u, 2, 2, 2, 4, 0.8, 0.24)\nrender\n",
             typed);
    ASSERT_TRUE(loaded.rendered()) << loaded.reason();
    ASSERT_EQ(typed.vertexCount, 65u * 241u);
    long worst = 0;
    for (std::uint32_t ring = 0; ring < 63; ++ring)
        for (std::uint32_t column = 0; column < 240; ++column) {
            const Vec3 a = builtIn.vertices[ring * 240 + column];
            const Vec3 b = typed.vertices[(ring + 1) * 241 + column];
            for (const auto& [p, q] : {std::pair{a.x, b.x}, {a.y, b.y}, {a.z, b.z}})
                worst = std::max(worst, ulpsApart(p, q));
        }
    EXPECT_LE(worst, 1);
}

// Mistakes in a typed file stop the load with the line, the column and the
// token, and leave the mesh as it was.
TEST(FormulaScene, mistakesStopTheLoadWithTheirPlace) {
    struct Case {
        std::string body;
        std::string reason;
    };
    const Case cases[] = {
        {"x u + k\n", "line 2, column 7: \"k\" is not a parameter defined before this line"},
        {"x u\nparam sin 1 0 2\n", "line 3, column 7: \"sin\" is a name of the expression"},
        {"param a 1 0 2\nparam a 1 0 2\n", "line 3, column 7: \"a\" is a parameter already"},
        {"param a 3 0 2\n", "line 2, column 7: \"a\" has a value outside its range"},
        {"param a 1 2 2\n", "line 2, column 7: \"a\" 's range has equal ends"},
        {"urange 1 1\n", "line 2, column 8: \"urange\" has equal ends"},
        {"vrange 2 1\n", "line 2, column 8: \"vrange\" has its ends reversed"},
        {"param b\xC3\xA9 1 0 2\n", "line 2, column 7: \"b\xC3\xA9\" is no parameter name"},
        {"y superformula(v, u, 1, 1, 1, 1, 1)\n", "line 2, column 3: \"superformula\" its six"},
    };
    PolygonsIndexedNormal mesh;
    ASSERT_TRUE(load("\"sss\nrender\n", mesh).rendered());
    const std::uint32_t before = mesh.vertexCount;
    for (const Case& c : cases) {
        const SceneLoadResult r = load("\"xyz\n" + c.body + "render\n", mesh);
        EXPECT_EQ(r.status, SceneLoadStatus::badFormula) << c.body;
        EXPECT_EQ(r.reason().substr(0, c.reason.size()), c.reason) << r.reason();
        EXPECT_EQ(mesh.vertexCount, before);
    }
    // A NaN or an infinity is no number, as for every command.
    EXPECT_EQ(load("\"xyz\nparam a nan 0 1\nrender\n", mesh).status, SceneLoadStatus::badValue);
    EXPECT_EQ(load("\"xyz\nurange 0 1e39\nrender\n", mesh).status, SceneLoadStatus::badValue);
}

// 10 000 parameters: the first 256 are kept, the next one refused by name.
TEST(FormulaScene, parameterCountIsBounded) {
    std::string text = "\"xyz\n";
    for (int k = 0; k < 10000; ++k)
        text += "param p" + std::to_string(k) + " 0 0 1\n";
    PolygonsIndexedNormal mesh;
    const SceneLoadResult r = load(text + "render\n", mesh);
    EXPECT_EQ(r.status, SceneLoadStatus::badFormula);
    EXPECT_NE(r.reason().find("\"p256\" is one parameter too many"), std::string::npos);
}

// The values a load leaves, its pose among them, come back as the same
// surface through the canonical text, and words that are commands of a typed surface are
// skipped in any other file, as every unknown word is.
TEST(FormulaScene, valuesWriteBackAndOtherFilesIgnoreTheWords) {
    PolygonsIndexedNormal first, second;
    const SceneLoadResult a =
        load("\"xyz\nslice 12 rotate 20\nparam c 1.5 0.5 3\nurange 0 6.2831855\n"
             "vrange -1 1\nx c*cosh(v/c) * cos(u)\ny c*cosh(v/c)*sin(u)\nz v\n"
             "pose 0 0 1 0.5 1 2 3 2\nrender\n",
             first);
    ASSERT_TRUE(a.rendered()) << a.reason();
    const SceneLoadResult b = load(sceneText(a.values), second);
    ASSERT_TRUE(b.rendered()) << b.reason();
    EXPECT_EQ(a.values, b.values);
    ASSERT_EQ(first.vertexCount, second.vertexCount);
    EXPECT_EQ(0, std::memcmp(first.vertices, second.vertices, first.vertexCount * sizeof(Vec3)));
    PolygonsIndexedNormal plain;
    const SceneLoadResult c = load("\"sss\nx 1\nparam a 1 0 2\nslice 12\nrender\n", plain);
    ASSERT_TRUE(c.rendered());
    EXPECT_EQ(c.scene.sliceCount, 12);
}

// A typed surface's normals are gathered per vertex of its sheet, on any
// number of threads, with the bits the per-triangle computation gives.
TEST(FormulaScene, sheetNormalsAreThePerTriangleNormals) {
    PolygonsIndexedNormal mesh;
    const SceneLoadResult r = loadSceneText("\"xyz\nurange 0 6.2831855\nvrange 0 6.2831855\n"
                                            "x (2 + cos(u/2)*sin(v) - sin(u/2)*sin(2*v)) * cos(u)\n"
                                            "y (2 + cos(u/2)*sin(v) - sin(u/2)*sin(2*v)) * sin(u)\n"
                                            "z sin(u/2)*sin(v) + cos(u/2)*sin(2*v)\nrender\n",
                                            mesh, MeshBuild{GridSize{600, 300}, Workers{2}});
    ASSERT_TRUE(r.rendered()) << r.reason();
    PolygonsIndexedNormal plain; // the same triangles, not marked as a sheet
    plain.allocate(mesh.vertexCount, mesh.triangleCount);
    std::memcpy(plain.vertices, mesh.vertices, mesh.vertexCount * sizeof(Vec3));
    std::memcpy(plain.triangles, mesh.triangles, mesh.triangleCount * sizeof(Triangle));
    plain.computeNormals();
    EXPECT_EQ(0, std::memcmp(plain.normals, mesh.normals, mesh.vertexCount * sizeof(Vec3)));
}
