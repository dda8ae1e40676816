#include "app/SceneWatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <poll.h>

using namespace Vextal;
namespace fs = std::filesystem;

namespace {

const std::string scene = "\"sss\nrender\n";

// What a viewer's frames would see within a second: saved() asked until it
// says so, sleeping on the descriptor in between as a waiting loop does.
bool seenWithinASecond(SceneWatch& watch) {
    for (int k = 0; k < 20; ++k) {
        if (watch.saved())
            return true;
        pollfd ready{watch.descriptor(), POLLIN, 0};
        ::poll(&ready, 1, 50);
    }
    return false;
}

TEST(SceneWatch, followsTheFolderRenamedOrDeletedAndMadeAgain) {
    VextalTest::TempDir dir;
    fs::create_directory(dir.path("d"));
    dir.write("d/scene.txt", scene);
    SceneWatch watch(dir.path("d/scene.txt"));
    ASSERT_TRUE(watch.watching()) << watch.error();
    EXPECT_GE(watch.descriptor(), 0);
    EXPECT_EQ(watch.retryMilliseconds(), -1);
    EXPECT_FALSE(watch.saved());

    fs::rename(dir.path("d"), dir.path("old"));
    fs::create_directory(dir.path("d"));
    dir.write("d/scene.txt", scene);
    EXPECT_TRUE(seenWithinASecond(watch));
    dir.write("old/scene.txt", scene); // the old folder, under its new name: not the path
    EXPECT_FALSE(seenWithinASecond(watch));

    fs::remove_all(dir.path("d"));
    EXPECT_FALSE(seenWithinASecond(watch)); // gone is no save
    fs::create_directory(dir.path("d"));
    dir.write("d/scene.txt", scene);
    EXPECT_TRUE(seenWithinASecond(watch));
}

TEST(SceneWatch, followsLinksToWhereTheFileIs) {
    VextalTest::TempDir dir;
    fs::create_directory(dir.path("real"));
    fs::create_directory(dir.path("links"));
    dir.write("real/scene.txt", scene);
    fs::create_symlink("../real/scene.txt", dir.path("links/one"));
    fs::create_symlink("links/one", dir.path("chain"));
    fs::create_hard_link(dir.path("real/scene.txt"), dir.path("alias.txt"));
    SceneWatch watch(dir.path("chain"));
    ASSERT_TRUE(watch.watching()) << watch.error();
    // An absolute link to the relative one, through a folder that is a link.
    fs::create_directory_symlink("links", dir.path("linked"));
    fs::create_symlink(dir.path("linked/one"), dir.path("absolute"));
    SceneWatch absolute(dir.path("absolute"));
    ASSERT_TRUE(absolute.watching()) << absolute.error();

    dir.write("real/scene.txt", scene); // the target saved in place
    EXPECT_TRUE(seenWithinASecond(watch));
    EXPECT_TRUE(seenWithinASecond(absolute));
    dir.write("alias.txt", scene); // in place through another hard link
    EXPECT_TRUE(seenWithinASecond(watch));

    dir.write("real/other.txt", "\"sh\nrender\n"); // the link re-pointed
    fs::remove(dir.path("links/one"));
    fs::create_symlink("../real/other.txt", dir.path("links/one"));
    EXPECT_TRUE(seenWithinASecond(watch));
    dir.write("real/other.txt", scene);
    EXPECT_TRUE(seenWithinASecond(watch));
    dir.write("real/scene.txt", scene); // no longer the path's file
    EXPECT_FALSE(seenWithinASecond(watch));
}

// An editor that moves the file away and writes a new one: no save is told
// while the new file is half-written, one when it is closed.
TEST(SceneWatch, seesAFileMadeUnderItsNameWhenItIsClosed) {
    VextalTest::TempDir dir;
    const std::string path = dir.write("scene.txt", scene);
    SceneWatch watch(path);
    ASSERT_TRUE(watch.watching()) << watch.error();
    fs::rename(path, dir.path("scene.txt~"));
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("\"sss\n", file);
    std::fflush(file);
    EXPECT_FALSE(seenWithinASecond(watch));
    std::fclose(file);
    EXPECT_TRUE(seenWithinASecond(watch));
}

// Far more events than the kernel queues (16384 by default) while nobody
// asks, as when the viewer is stopped or minimised: the save among them is
// still seen, and only once.
TEST(SceneWatch, seesASaveLostInAQueueOverflow) {
    VextalTest::TempDir dir;
    const std::string path = dir.write("scene.txt", scene);
    SceneWatch watch(path);
    ASSERT_TRUE(watch.watching()) << watch.error();
    for (int k = 0; k < 20000; ++k)
        dir.write("build" + std::to_string(k), "");
    dir.write("scene.txt", scene + "\n");
    EXPECT_TRUE(watch.saved());
    EXPECT_FALSE(watch.saved());
}

} // namespace
