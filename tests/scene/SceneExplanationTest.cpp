#include "scene/SceneExplanation.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Vextal;

namespace {

// Every file of the fuzzer's starting corpus, explained and loaded: the explanation reads
// what the loader reads, so it ends the same way with the same grid and mesh.
TEST(SceneExplanation, endsAsTheLoaderDoesWithTheSameMesh) {
    const std::filesystem::path corpus = std::filesystem::path(VEXTAL_SOURCE_DIR) / "fuzz/corpus";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string path = entry.path().string();
        PolygonsIndexedNormal loaded, explained;
        const SceneLoadResult result = loadSceneFile(path.c_str(), loaded);
        const SceneExplanation e = explainScene(VextalTest::readFile(path), &explained);
        EXPECT_EQ(e.status, result.status) << path;
        EXPECT_EQ(e.failedKeyword, result.keyword) << path;
        EXPECT_EQ(describe(e.scene), describe(result.scene)) << path;
        EXPECT_TRUE(VextalTest::sameMeshAnyNaN(explained, loaded)) << path;
        ++files;
    }
    EXPECT_GE(files, 20);
}

TEST(SceneExplanation, namesEveryStepWithItsLineAndWhatTheRulesMadeOfIt) {
    const SceneExplanation e = explainScene("\"sh\ncoef1 1 1 1 4 1 1\n\nslise 12\n"
                                            "slice 300 phirange 3 -1\nrender\nslice 9\n");
    EXPECT_EQ(e.surface, SurfaceKind::harmonic);
    ASSERT_EQ(e.steps.size(), 5u);
    EXPECT_EQ(e.steps[0].note, "changes nothing drawn: the spherical harmonic is selected");
    EXPECT_EQ(e.steps[1].line, 4u);
    EXPECT_EQ(e.steps[1].suggestion, "slice");
    EXPECT_EQ(e.steps[2].suggestion, ""); // "12": no near miss
    EXPECT_EQ(e.steps[3].note, "slice 300 becomes 44");
    EXPECT_EQ(e.steps[4].note, "taken as -1 to 3");
    EXPECT_EQ(e.stopLine, 6u);
    EXPECT_EQ(e.trailingLine, 7u);
    EXPECT_EQ(e.trailingBytes, 8u);
    EXPECT_EQ(e.vertexCount, 43u * 10u + 2u);
}

TEST(SceneExplanation, saysWhereAndWhyALoadStops) {
    const SceneExplanation bad = explainScene("\"sss\ncoef1 1 1\n x 4 1 1 render");
    EXPECT_EQ(bad.status, SceneLoadStatus::badValue);
    EXPECT_EQ(bad.stopLine, 3u);
    EXPECT_EQ(bad.stop, "coef1 needs 6 values; 'x' is not a number");
    // A token the number reader took part of is quoted whole, on its own line.
    const SceneExplanation partly = explainScene("\"sss\nslice 1E\nrender\n");
    EXPECT_EQ(partly.stop, "slice needs 1 value; '1E' is not a number");
    EXPECT_EQ(partly.stopLine, 2u);
    EXPECT_EQ(explainScene("\"sss coef1 1 2x 3 4 5 6 render").stop,
              "coef1 needs 6 values; 'x' is not a number");
    const SceneExplanation cut = explainScene("\"sss slice");
    EXPECT_EQ(cut.stop, "slice needs 1 value; the file ends after 0");
    // The file may end inside a command's values: the line is the command's.
    const SceneExplanation unfinished = explainScene("\"sss\nslice 4\ncoef1 1 2\n");
    EXPECT_EQ(unfinished.stopLine, 3u);
    EXPECT_EQ(unfinished.stop, "coef1 needs 6 values; the file ends after 2");
    const SceneExplanation cutInside = explainScene("\"sss\nslice 20\ncoef1 1 1\n\n");
    EXPECT_EQ(cutInside.stopLine, 3u); // the command's line, not the end's
    EXPECT_EQ(cutInside.stop, "coef1 needs 6 values; the file ends after 2");
    const SceneExplanation unreached =
        explainScene("\"sss " + std::string(1 << 20, ' ') + "render");
    EXPECT_EQ(unreached.status, SceneLoadStatus::noRenderInReach);
    const SceneExplanation marked = explainScene("\xEF\xBB\xBF\"sss render");
    EXPECT_EQ(marked.surface, SurfaceKind::toric);
    EXPECT_NE(marked.selection.find("byte-order mark"), std::string::npos);
}

// What follows "render" is counted right at the very end of a file and past
// the first MiB, where the count is a lower bound.
TEST(SceneExplanation, countsWhatFollowsRenderTruly) {
    EXPECT_EQ(explainScene("\"sss render").trailingBytes, 0u);
    const SceneExplanation one = explainScene("\"sss render\nx");
    EXPECT_EQ(one.trailingBytes, 1u);
    EXPECT_FALSE(one.trailingCut);
    // What a load reads of a 3 MiB file: the first MiB and the byte after it.
    const SceneExplanation huge = explainScene("\"sss render\n" + std::string((1 << 20) - 11, 'y'));
    EXPECT_EQ(huge.trailingBytes, (1u << 20) - 12);
    EXPECT_TRUE(huge.trailingCut);
}

// Tokens quoted in the texts are escaped; one the loader cut says so and how
// long it is, and is cut on a character boundary.
TEST(SceneExplanation, quotesTokensEscapedAndSaysWhenTheyAreCut) {
    const SceneExplanation bad = explainScene("\"sss coef1 1 \x1b[2J");
    EXPECT_EQ(bad.stop, "coef1 needs 6 values; '\\x1b[2J' is not a number");
    std::string euros;
    for (int k = 0; k < 30; ++k)
        euros += "\xe2\x82\xac";
    const SceneExplanation cut = explainScene("\"sss " + euros + " render");
    ASSERT_EQ(cut.steps.size(), 1u);
    EXPECT_EQ(cut.steps[0].tokenLength, 90u);
    EXPECT_EQ(quotedToken(cut.steps[0].token, cut.steps[0].tokenLength),
              "'" + euros.substr(0, 63) + "'... (a 90-byte token, cut)");
    EXPECT_EQ(explainScene(euros + " render").selectorLength, 90u);
}

TEST(SceneExplanation, suggestsTheKeywordATokenNearlyIs) {
    EXPECT_EQ(nearestKeyword("Render"), "render");
    EXPECT_EQ(nearestKeyword("thetarnage"), "thetarange");
    EXPECT_EQ(nearestKeyword("\"SSS"), "\"sss");
    EXPECT_EQ(nearestKeyword("close"), ""); // a keyword itself
    EXPECT_EQ(nearestKeyword("banana"), "");
}

} // namespace
