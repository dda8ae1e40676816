#include "scene/SceneLoader.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneState.h"
#include "support/MeshCompare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <locale>
#include <sys/stat.h>
#include <unistd.h>

using namespace Vextal;
using VextalTest::sameMesh;

namespace {

const char* workedExample = "\"tss\n"
                            "slice 24   rotate 48\n"
                            "thetarange 3.14159 -3.14159\n"
                            "coef1 0.5 0.5 0.5 5 1 1\n"
                            "coef2 1 1 1 4 1 1\n"
                            "dontclose\n"
                            "render\n"
                            "slice 99\n";

class SceneLoad : public ::testing::Test {
protected:
    SceneLoadResult load(std::string_view text) {
        return loadSceneFile(dir.write("scene.txt", text).c_str(), mesh);
    }

    // The mesh a primitive configured by hand produces, for bit-exact comparison.
    template <class Primitive> PolygonsIndexedNormal& expected(const Primitive& primitive) {
        Primitive copy = primitive;
        copy.tessellate(reference);
        reference.computeNormals();
        return reference;
    }

    VextalTest::TempDir dir;
    PolygonsIndexedNormal mesh;
    PolygonsIndexedNormal reference;
};

} // namespace

TEST_F(SceneLoad, workedExampleBuildsTheOpenToricSurface) {
    const SceneLoadResult result = load(workedExample);
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.surface, SurfaceKind::toric);
    EXPECT_EQ(result.scene.sliceCount, 24);
    EXPECT_EQ(result.scene.rotateCount, 48);
    EXPECT_FALSE(result.scene.closed);
    EXPECT_EQ(result.scene.thetaMin, -3.14159f);
    EXPECT_EQ(result.scene.thetaMax, 3.14159f);

    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 24;
    toric.rotateCount = 48;
    toric.thetaMin = -3.14159f;
    toric.thetaMax = 3.14159f;
    toric.setCoef1({0.5f, 0.5f, 0.5f, 5, 1, 1});
    toric.setCoef2({1, 1, 1, 4, 1, 1});
    toric.closed = false;
    EXPECT_EQ(toric.derived1.negInvN1, -2.0f);
    EXPECT_TRUE(sameMesh(mesh, expected(toric)));
}

TEST_F(SceneLoad, withoutItsFirstLineTheWordSliceBecomesTheSelector) {
    const std::string text = workedExample;
    const SceneLoadResult result = load(text.substr(text.find('\n') + 1));
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.surface, SurfaceKind::toric);
    EXPECT_EQ(result.scene.sliceCount, 10);
    EXPECT_EQ(result.scene.rotateCount, 48);
}

TEST_F(SceneLoad, everyLoadStartsFromTheDefaults) {
    ASSERT_TRUE(load("\"sss slice 24 dontclose render").rendered());
    const SceneLoadResult again = load("\"sss render");
    EXPECT_EQ(again.scene.sliceCount, 10);
    EXPECT_TRUE(again.scene.closed);
    EXPECT_TRUE(sameMesh(mesh, expected(PrimitiveSuperShapeSpheric())));
}

TEST_F(SceneLoad, onlyExactSelectorTokensSelect) {
    EXPECT_EQ(load("\"sss render").scene.surface, SurfaceKind::spheric);
    EXPECT_EQ(load("\"sh render").scene.surface, SurfaceKind::harmonic);
    EXPECT_EQ(load("\"tss render").scene.surface, SurfaceKind::toric);
    for (const char* text : {"\"sss\" render", "sss render", "\"SSS render",
                             "\xEF\xBB\xBF\"sss render", "render", ""}) {
        const SceneLoadResult result = load(text);
        EXPECT_EQ(result.scene.surface, SurfaceKind::toric) << text;
    }
}

TEST_F(SceneLoad, aSecondSelectorLaterIsSkipped) {
    const SceneLoadResult result = load("\"sss \"sh slice 5 render");
    EXPECT_EQ(result.scene.surface, SurfaceKind::spheric);
    EXPECT_EQ(result.scene.sliceCount, 5);
}

TEST_F(SceneLoad, onlyTheExactLowerCaseRenderEndsTheCommands) {
    const SceneLoadResult result = load("\"sss Render render. slice 5 render slice 7 render");
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.sliceCount, 5);
}

TEST_F(SceneLoad, nothingAfterRenderIsRead) {
    const SceneLoadResult result = load("\"sss render render slice oops \x01\x02");
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.sliceCount, 10);
}

TEST_F(SceneLoad, aNumberEndsWhereItCannotContinue) {
    // "20x" gives 20 and the x is the next token; "24render" ends the list.
    SceneLoadResult result = load("\"sss slice 20x rotate 30 render");
    EXPECT_EQ(result.scene.sliceCount, 20);
    EXPECT_EQ(result.scene.rotateCount, 30);
    result = load("\"sss slice 24render");
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.sliceCount, 24);
}

TEST_F(SceneLoad, commandsMaySpanLinesAndShareThem) {
    const SceneLoadResult result =
        load("\"sss\r\nphirange\n3\t-1 thetarange -0.5\v0.5\fclose dontclose render");
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.phiMin, -1.0f);
    EXPECT_EQ(result.scene.phiMax, 3.0f);
    EXPECT_EQ(result.scene.thetaMin, -0.5f);
    EXPECT_FALSE(result.scene.closed);
}

TEST_F(SceneLoad, strayNumbersAndWordsAreSkippedAndTheLaterKeywordWins) {
    const SceneLoadResult result = load("\"sss 12 hello slice 300 extra slice -1 render");
    EXPECT_EQ(result.scene.sliceCount, 255);
}

TEST_F(SceneLoad, coefficientsGoToTheSuperformulaTarget) {
    // With the harmonic selected, coef1 lands on the toric object, which is not drawn.
    ASSERT_TRUE(load("\"sh coef1 1 1 1 4 2 0.5 coefh 1 1 1 1 1 1 1 1 slice 4 render").rendered());
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh.fill(1.0f);
    harmonic.sliceCount = 4;
    EXPECT_TRUE(sameMesh(mesh, expected(harmonic)));

    // With a superformula selected, coefh changes nothing that is drawn.
    ASSERT_TRUE(load("\"sss coefh 9 9 9 9 9 9 9 9 coef2 1 1 1 4 2 0.5 render").rendered());
    PrimitiveSuperShapeSpheric spheric;
    spheric.setCoef2({1, 1, 1, 4, 2, 0.5f});
    EXPECT_TRUE(sameMesh(mesh, expected(spheric)));
}

TEST_F(SceneLoad, harmonicWithoutCoefhIsTheSphereOfRadiusTwo) {
    ASSERT_TRUE(load("\"sh render").rendered());
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3 p = mesh.vertices[k];
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0f, 1e-5f);
    }
}

TEST_F(SceneLoad, failedLoadsKeepTheLastMesh) {
    ASSERT_TRUE(load("\"sss slice 5 render").rendered());
    PolygonsIndexedNormal before;
    PrimitiveSuperShapeSpheric five;
    five.sliceCount = 5;
    five.tessellate(before);
    before.computeNormals();

    const struct {
        const char* text;
        SceneLoadStatus status;
    } failures[] = {
        {"\"sss slice 7", SceneLoadStatus::endedBeforeRender},
        {"\"sss slice render", SceneLoadStatus::badValue},
        {"\"sss rotate 4 coef1 1 2 x 4 5 6 render", SceneLoadStatus::badValue},
        {"\"sss slice", SceneLoadStatus::endedBeforeRender},
        {"\"sss slice - render", SceneLoadStatus::badValue},
        {"\"sss slice 1e+ render", SceneLoadStatus::badValue},
        {"\"sss slice 1e999 render", SceneLoadStatus::badValue},
        {"", SceneLoadStatus::endedBeforeRender},
    };
    for (const auto& failure : failures) {
        const SceneLoadResult result = load(failure.text);
        EXPECT_EQ(result.status, failure.status) << failure.text;
        EXPECT_FALSE(result.reason().empty());
        EXPECT_TRUE(sameMesh(mesh, before)) << failure.text;
    }
}

TEST_F(SceneLoad, filesThatAreNotRegularAreRefusedWithoutBlocking) {
    ASSERT_TRUE(load("\"sss render").rendered());
    const std::uint32_t vertexCount = mesh.vertexCount;

    EXPECT_EQ(loadSceneFile(dir.path("missing.txt").c_str(), mesh).status,
              SceneLoadStatus::cannotOpen);
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadSceneFile(fifo.c_str(), mesh).status, SceneLoadStatus::notRegularFile);
    const std::string folder = dir.path("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const SceneLoadResult directory = loadSceneFile(folder.c_str(), mesh);
    EXPECT_EQ(directory.status, SceneLoadStatus::notRegularFile);
    EXPECT_NE(directory.reason().find("directory"), std::string::npos);
    EXPECT_EQ(loadSceneFile("/dev/zero", mesh).status, SceneLoadStatus::notRegularFile);
    EXPECT_EQ(mesh.vertexCount, vertexCount);
}

namespace {

// A locale whose decimal separator is a comma, as many users have.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

TEST_F(SceneLoad, numbersAreReadTheSameWhateverTheUsersLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const SceneLoadResult result = load("\"sss phirange -0.5 0.5 render");
    std::locale::global(previous);
    ASSERT_TRUE(result.rendered());
    EXPECT_EQ(result.scene.phiMin, -0.5f);
    EXPECT_EQ(result.scene.phiMax, 0.5f);
}

TEST_F(SceneLoad, loadSceneReadsConfTxtFromTheWorkingDirectoryIntoTheSceneMesh) {
    SceneState fresh;
    dir.write("conf.txt", "\"sss slice 4 rotate 5 render");
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.path("").c_str()), 0);
    loadScene();
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(fresh.sceneMesh.vertexCount, 3u * 5u + 2u);
}
