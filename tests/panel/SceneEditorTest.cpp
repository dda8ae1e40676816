#include "panel/SceneEditor.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/MeshFormats.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <sys/stat.h>

using namespace Vextal;

namespace {

constexpr const char* starfish = "\"sss\nslice 64 rotate 24\ncoef1 2 7 7 5 1 1\nrender\n";

std::string contentOf(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class SceneEditorTest : public ::testing::Test {
protected:
    VextalTest::TempDir dir;
    std::string path = dir.write("starfish.vextal", starfish);
    PolygonsIndexedNormal mesh;
    SceneEditor editor{path, mesh};

    SceneValues withSlices(int count) const {
        SceneValues values = editor.values();
        values.sliceCount = count;
        return values;
    }
};

} // namespace

TEST_F(SceneEditorTest, editsLoadAtOnceAndUndoRedoStepThroughThem) {
    editor.readFile();
    const SceneValues first = editor.values();
    const std::uint32_t firstVertices = mesh.vertexCount;
    ASSERT_TRUE(editor.edit(withSlices(300))); // the count rule: 44
    editor.commitEdit(first);
    EXPECT_EQ(editor.values().sliceCount, 44);
    EXPECT_NE(mesh.vertexCount, firstVertices);
    EXPECT_TRUE(editor.unsaved());

    SceneValues refused = editor.values();
    refused.coef1[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(editor.edit(refused));
    EXPECT_NE(editor.status(), "");
    EXPECT_EQ(editor.values().sliceCount, 44); // nothing changed

    editor.undo();
    EXPECT_EQ(editor.values(), first);
    EXPECT_EQ(mesh.vertexCount, firstVertices);
    editor.redo();
    EXPECT_EQ(editor.values().sliceCount, 44);

    // A new edit after an undo ends the steps that could be redone.
    editor.undo();
    ASSERT_TRUE(editor.edit(withSlices(30)));
    editor.commitEdit(first);
    editor.redo();
    EXPECT_EQ(editor.values().sliceCount, 30);
    editor.undo();
    EXPECT_EQ(editor.values(), first);
}

TEST_F(SceneEditorTest, aSaveByAnotherProgramWaitsWhileChangesAreUnsaved) {
    editor.readFile();
    dir.write("starfish.vextal", "\"sss\nslice 5 rotate 5\nrender\n");
    editor.fileSaved(); // nothing unsaved: the file's values are taken
    EXPECT_EQ(editor.values().sliceCount, 5);

    ASSERT_TRUE(editor.edit(withSlices(7)));
    dir.write("starfish.vextal", "\"sss\nslice 6 rotate 5\nrender\n");
    editor.fileSaved();
    EXPECT_EQ(editor.values().sliceCount, 7);
    EXPECT_TRUE(editor.fileChangedOnDisk());
    editor.revert(); // take the file's values
    EXPECT_EQ(editor.values().sliceCount, 6);
    EXPECT_FALSE(editor.fileChangedOnDisk());
}

TEST_F(SceneEditorTest, saveWritesCanonicalTextOrLeavesTheFileAndSaysWhy) {
    editor.readFile();
    ASSERT_TRUE(editor.save()); // also unchanged: saving tidies the file
    EXPECT_EQ(contentOf(path), sceneText(editor.values()));
    EXPECT_FALSE(editor.unsaved());

    const std::string folder = dir.path("gone");
    std::filesystem::create_directory(folder);
    SceneEditor elsewhere(folder + "/scene.vextal", mesh);
    std::filesystem::remove(folder);
    EXPECT_FALSE(elsewhere.save());
    EXPECT_NE(elsewhere.status().find("not saved"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(SceneEditorTest, picturesAndMeshesGoBesideTheSceneUnderNamesNotTaken) {
    editor.readFile();
    dir.write("starfish-1.stl", "taken");
    ASSERT_TRUE(editor.writeMesh(*meshFormatNamed("stl"), true));
    EXPECT_TRUE(std::filesystem::exists(dir.path("starfish-2.stl")));
    EXPECT_EQ(contentOf(dir.path("starfish-1.stl")), "taken");
    const std::uint8_t pixels[4 * 4] = {};
    ASSERT_TRUE(editor.writePicture({2, 2, pixels}));
    EXPECT_TRUE(std::filesystem::exists(dir.path("starfish-1.png")));
}

// A change whose last value the loader refuses (1 typed on the way to 1e39)
// leaves the values, the mesh and the undo steps as before it.
TEST_F(SceneEditorTest, aChangeEndingOnARefusedValueChangesNothing) {
    editor.readFile();
    const SceneValues first = editor.values();
    const std::uint32_t firstVertices = mesh.vertexCount;
    SceneValues typed = first;
    typed.coef1[0] = 1;
    typed.sliceCount = 5;
    ASSERT_TRUE(editor.edit(typed));
    typed.coef1[0] = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(editor.edit(typed));
    editor.commitEdit(first);
    EXPECT_EQ(editor.values(), first);
    EXPECT_EQ(mesh.vertexCount, firstVertices);
    EXPECT_FALSE(editor.canUndo());
    EXPECT_NE(editor.status().find("not applied"), std::string::npos);
}

// A save by another program that does not load changes no value: the panel
// keeps what is drawn, says why, and Ctrl+S writes that; a later good save
// is taken.
TEST_F(SceneEditorTest, aBrokenSaveByAnotherProgramChangesNoValue) {
    editor.readFile();
    const SceneValues shown = editor.values();
    dir.write("starfish.vextal", "\"sss\nslice 10\n");
    editor.fileSaved();
    EXPECT_EQ(editor.values(), shown);
    EXPECT_TRUE(editor.unsaved());
    EXPECT_NE(editor.status().find("before 'render'"), std::string::npos) << editor.status();
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(contentOf(path), sceneText(shown));
    dir.write("starfish.vextal", "\"sss\nslice 6 rotate 5\nrender\n");
    editor.fileSaved();
    EXPECT_EQ(editor.values().sliceCount, 6);
}

// A missing scene file is a new scene: the loader's defaults, drawn, and
// saved as such.
TEST_F(SceneEditorTest, aNewSceneStartsFromTheLoadersDefaults) {
    const std::string fresh = dir.path("new.vextal");
    SceneEditor created(fresh, mesh);
    created.readFile();
    PolygonsIndexedNormal unused;
    EXPECT_EQ(created.values(), loadSceneText("render", unused).values);
    EXPECT_GT(mesh.vertexCount, 0u);
    EXPECT_TRUE(created.unsaved());
    ASSERT_TRUE(created.save());
    EXPECT_TRUE(loadSceneFile(fresh.c_str(), unused).rendered());
    EXPECT_EQ(contentOf(fresh), sceneText(created.values()));
}

// Names are files beside the scene, whatever the working directory: "-" too.
// Nothing that is not a regular file is written (a FIFO would block the
// window), the scene replaced by a FIFO included.
TEST_F(SceneEditorTest, saveAsWritesOnlyRegularFilesBesideTheScene) {
    editor.readFile();
    ASSERT_TRUE(editor.saveAs("-"));
    EXPECT_EQ(contentOf(dir.path("-")), sceneText(editor.values()));
    EXPECT_EQ(editor.saveAs("copy.vextal"), dir.path("copy.vextal"));
    EXPECT_EQ(editor.status(), "saved " + dir.path("copy.vextal"));
    ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(editor.saveAs("pipe"));
    EXPECT_NE(editor.status().find("not a regular file"), std::string::npos) << editor.status();
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(editor.save());
}
