#include "scene/SceneFileMemory.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Vextal;
using namespace std::chrono_literals;
using VextalTest::sameMesh;

namespace {

const char* versionA = "\"sss slice 12 rotate 16 coef1 2 7 7 5 1 1 render";
const char* versionB = "\"sss slice 12 rotate 16 coef1 2 7 7 6 1 1 render"; // same size

// A memory that trusts a file left alone for 20 ms, so that tests need not
// wait seconds; refreshed only after an hour unless a test says otherwise.
class RememberedLoad : public ::testing::Test {
protected:
    // Writes the scene and waits until it has settled.
    std::string settled(const char* text) {
        const std::string path = dir.write("conf.txt", text);
        std::this_thread::sleep_for(60ms);
        return path;
    }

    // Rewrites the file in place, as an editor that truncates and writes does.
    static void rewriteInPlace(const std::string& path, const char* text) {
        FILE* file = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        std::fputs(text, file);
        std::fclose(file);
    }

    // The file as a load without memory reads it.
    const PolygonsIndexedNormal& fresh(const std::string& path) {
        EXPECT_TRUE(loadSceneFile(path.c_str(), expected).rendered());
        return expected;
    }

    VextalTest::TempDir dir;
    SceneFileMemory memory{20ms, 1h};
    PolygonsIndexedNormal mesh;
    PolygonsIndexedNormal expected;
};

} // namespace

TEST_F(RememberedLoad, settledFileIsTakenFromMemoryWithTheSameResult) {
    const std::string path = settled(versionA);
    const SceneLoadResult first = loadSceneFile(path.c_str(), mesh, memory);
    ASSERT_TRUE(first.rendered());
    const std::string* remembered = memory.recall(path.c_str());
    ASSERT_NE(remembered, nullptr);
    EXPECT_EQ(*remembered, versionA);

    const SceneLoadResult again = loadSceneFile(path.c_str(), mesh, memory);
    ASSERT_TRUE(again.rendered());
    EXPECT_EQ(describe(again.scene), describe(first.scene));
    EXPECT_TRUE(sameMesh(mesh, fresh(path)));
}

TEST_F(RememberedLoad, fileChangedJustBeforeItWasReadIsNotRemembered) {
    const std::string path = dir.write("conf.txt", versionA);
    // Read 20 ms after the change: a clock tick or more on any machine, so
    // the times differ however fast it is, and well within the settling time.
    std::this_thread::sleep_for(20ms);
    SceneFileMemory viewerMemory; // the viewer's settling time: seconds
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, viewerMemory).rendered());
    EXPECT_EQ(viewerMemory.recall(path.c_str()), nullptr);
}

TEST_F(RememberedLoad, saveOfTheSameSizeIsSeenAtTheNextLoad) {
    const std::string path = settled(versionA);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    rewriteInPlace(path, versionB);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    EXPECT_TRUE(sameMesh(mesh, fresh(path)));
    EXPECT_EQ(memory.recall(path.c_str()), nullptr);
}

TEST_F(RememberedLoad, saveThatPutsTheModificationTimeBackIsSeen) {
    const std::string path = settled(versionA);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());

    rewriteInPlace(path, versionB);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    EXPECT_TRUE(sameMesh(mesh, fresh(path)));
}

TEST_F(RememberedLoad, fileReplacedByRenameIsSeen) {
    const std::string path = settled(versionA);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    const std::string replacement = dir.write("conf.txt.new", versionB);
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    EXPECT_TRUE(sameMesh(mesh, fresh(path)));
}

TEST_F(RememberedLoad, removedFileFailsAsWithoutMemory) {
    const std::string path = settled(versionA);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    const PolygonsIndexedNormal& before = fresh(path);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    const SceneLoadResult result = loadSceneFile(path.c_str(), mesh, memory);
    EXPECT_EQ(result.status, SceneLoadStatus::cannotOpen);
    EXPECT_TRUE(sameMesh(mesh, before)); // the mesh is kept, as always
}

TEST_F(RememberedLoad, otherPathIsReadFromItsFile) {
    const std::string path = settled(versionA);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    const std::string other = dir.write("other.txt", versionB);
    ASSERT_TRUE(loadSceneFile(other.c_str(), mesh, memory).rendered());
    EXPECT_TRUE(sameMesh(mesh, fresh(other)));
}

TEST_F(RememberedLoad, memoryIsTrustedOnlyUntilRefreshIsDue) {
    SceneFileMemory brief{20ms, 0ns};
    const std::string path = settled(versionA);
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, brief).rendered());
    std::this_thread::sleep_for(1ms);
    EXPECT_EQ(brief.recall(path.c_str()), nullptr);
}

TEST_F(RememberedLoad, onlyLoadsThatReachRenderAreRemembered) {
    const std::string path = settled("\"sss slice 12 rotate");
    EXPECT_EQ(loadSceneFile(path.c_str(), mesh, memory).status, SceneLoadStatus::endedBeforeRender);
    EXPECT_EQ(memory.recall(path.c_str()), nullptr);
}

TEST_F(RememberedLoad, fileLargerThanOneReadIsNotRemembered) {
    // Whitespace before the commands makes the file longer than one read.
    const std::string text = std::string(100 * 1024, ' ') + versionA;
    const std::string path = settled(text.c_str());
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
    EXPECT_EQ(memory.recall(path.c_str()), nullptr);
}

// Files are stamped with the clock's current tick: a file that changed in the
// tick it was opened in may change again within that tick, with the same times.
TEST_F(RememberedLoad, fileIsTrustedOnlyIfItChangedBeforeTheTickItWasOpenedIn) {
    const std::string path = dir.write("conf.txt", versionA);
    SceneFileHandle file = openSceneFile(path.c_str());
    ASSERT_GE(file.fd, 0);
    ::close(file.fd);
    SceneFileMemory noSettling{0ns, 1h};

    file.openedAt = file.identity.changedAt;
    noSettling.remember(path.c_str(), file, versionA);
    EXPECT_EQ(noSettling.recall(path.c_str()), nullptr);

    file.openedAt = file.identity.changedAt + 1;
    noSettling.remember(path.c_str(), file, versionA);
    EXPECT_NE(noSettling.recall(path.c_str()), nullptr);
}
