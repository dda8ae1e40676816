// The viewer reloads its scene file in every frame while R is held, while the
// user's editor saves it. Here the largest grid is reloaded thousands of times
// while another process rewrites the file the two ways editors save, switching
// between two valid scenes: every load must leave, bit for bit, either the
// mesh it had or the mesh of one of the two scenes, and memory must not grow.
//
// VEXTAL_STRESS_RELOADS sets the number of loads of each test (default 1000).

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFileMemory.h"
#include "scene/SceneLoader.h"
#include "support/ChildProcess.h"
#include "support/MeshCompare.h"
#include "support/ResidentMemory.h"
#include "support/Sanitized.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

using namespace Vextal;
using VextalTest::sameMesh;

namespace {

// Two scenes of 255 by 255 that differ in surface, caps and coefficients. The
// first has no line end after "render", as some editors save; the second is
// longer, so a reader that went on past the first's end into the second's
// bytes would read commands that belong to neither.
const std::string sceneA = "\"sss slice 255 rotate 255 render";
const std::string sceneB = "\"tss slice 255 rotate 255 dontclose coef1 1 1 1 4 1 1\n"
                           "coef2 0.5 0.5 0.5 5 1 1 render\n";

int reloadCount() {
    const char* text = std::getenv("VEXTAL_STRESS_RELOADS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 1000;
}

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            ::_exit(3);
        done += std::size_t(n);
    }
}

enum class Save { truncateAndWrite, writeThenRename };

// The editor: saves the two scenes in turn until killed.
int editor(const std::string& path, Save save) {
    const std::string temporary = path + ".swp";
    for (std::size_t round = 0;; ++round) {
        const std::string& scene = round % 2 ? sceneB : sceneA;
        if (save == Save::truncateAndWrite) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
            if (fd < 0)
                return 2;
            writeAll(fd, scene);
            ::close(fd);
        } else {
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                return 2;
            writeAll(fd, scene);
            ::close(fd);
            if (::rename(temporary.c_str(), path.c_str()) != 0)
                return 2;
        }
        // A pause between saves lets the file spend most of its time whole,
        // as an edited file does. Truncating waits for the write-back of the
        // previous save on a disk file system, and the file is empty all that
        // time, so that kind of save pauses longer.
        ::usleep(save == Save::truncateAndWrite ? 20'000 : 1'000);
    }
}

class ReloadStress : public ::testing::TestWithParam<Save> {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadSceneFile(dir.write("a.txt", sceneA).c_str(), meshA).rendered());
        ASSERT_TRUE(loadSceneFile(dir.write("b.txt", sceneB).c_str(), meshB).rendered());
        ASSERT_EQ(meshA.vertexCount, 254u * 255u + 2u);
        ASSERT_FALSE(sameMesh(meshA, meshB));
    }

    VextalTest::TempDir dir;
    PolygonsIndexedNormal meshA;
    PolygonsIndexedNormal meshB;
};

} // namespace

TEST_P(ReloadStress, everyLoadLeavesTheLastGoodMeshOrTheNewOneAndMemoryStaysFlat) {
    const std::string path = dir.write("conf.txt", sceneA);
    PolygonsIndexedNormal mesh;
    const PolygonsIndexedNormal* shown = &meshA;
    ASSERT_TRUE(loadSceneFile(path.c_str(), mesh).rendered());

    VextalTest::ChildProcess writer([&] { return editor(path, GetParam()); });
    ASSERT_TRUE(writer.started());

    const int reloads = reloadCount();
    const int warmUp = 50; // the allocator settles on its working set first
    long residentBefore = -1;
    int loadedA = 0, loadedB = 0, kept = 0;
    for (int load = 0; load < warmUp + reloads; ++load) {
        if (load == warmUp)
            residentBefore = VextalTest::residentKiB();
        const SceneLoadResult result = loadSceneFile(path.c_str(), mesh);
        if (!result.rendered()) {
            ++kept;
            ASSERT_TRUE(sameMesh(mesh, *shown))
                << "load " << load << " stopped (" << result.reason() << ") and changed the mesh";
        } else if (sameMesh(mesh, meshA)) {
            ++loadedA;
            shown = &meshA;
        } else if (sameMesh(mesh, meshB)) {
            ++loadedB;
            shown = &meshB;
        } else {
            FAIL() << "load " << load
                   << " left a mesh of neither scene: " << describe(result.scene);
        }
    }
    const long residentAfter = VextalTest::residentKiB();
    ASSERT_TRUE(writer.waitFor(std::chrono::milliseconds(0)) == false)
        << "the editor stopped: " << writer.describe();
    writer.kill();

    std::cout << "reloads " << warmUp + reloads << ": scene A " << loadedA << ", scene B "
              << loadedB << ", stopped and kept " << kept << "; resident " << residentBefore
              << " KiB before, " << residentAfter << " KiB after\n";
    RecordProperty("reloads", warmUp + reloads);
    RecordProperty("residentBeforeKiB", int(residentBefore));
    RecordProperty("residentAfterKiB", int(residentAfter));
    EXPECT_GT(loadedA + loadedB, 0);
    // Freed memory sits in the sanitizer's quarantine; its leak checker
    // watches that build instead.
    if (!VextalTest::addressSanitized && residentBefore > 0) {
        EXPECT_LE(residentAfter - residentBefore, 4 * 1024) << "resident size grew";
    }
}

INSTANTIATE_TEST_SUITE_P(Editors, ReloadStress,
                         ::testing::Values(Save::truncateAndWrite, Save::writeThenRename),
                         [](const ::testing::TestParamInfo<Save>& info) {
                             return info.param == Save::truncateAndWrite ? "truncateAndWrite"
                                                                         : "writeThenRename";
                         });

// The viewer keeps the bytes of an unchanged file between loads. Saves of the
// same size follow loads within the same clock tick or just after it, in
// place or by rename, and each load right after a save must show that save,
// even with no settling time at all.
TEST(RememberedReloadStress, everyLoadAfterASaveShowsThatSave) {
    const std::string scenes[2] = {"\"sss slice 20 rotate 20 coef1 2 7 7 5 1 1 render",
                                   "\"sss slice 20 rotate 20 coef1 2 7 7 6 1 1 render"};
    VextalTest::TempDir dir;
    PolygonsIndexedNormal expected[2];
    for (int k = 0; k < 2; ++k)
        ASSERT_TRUE(
            loadSceneFile(dir.write("expected.txt", scenes[k]).c_str(), expected[k]).rendered());

    const std::string path = dir.write("conf.txt", scenes[0]);
    SceneFileMemory memory{std::chrono::nanoseconds(0), std::chrono::hours(1)};
    PolygonsIndexedNormal mesh;
    std::mt19937 random(20261208);
    int fromMemory = 0;
    for (int load = 0; load < reloadCount(); ++load) {
        const int version = load % 2;
        if (load % 3 == 0) {
            const std::string temporary = dir.write("conf.txt.new", scenes[version]);
            ASSERT_EQ(::rename(temporary.c_str(), path.c_str()), 0);
        } else {
            const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
            ASSERT_GE(fd, 0);
            writeAll(fd, scenes[version]);
            ::close(fd);
        }
        // Loads again at once or up to a few clock ticks later.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 6000));
        for (int again = 0; again < 2; ++again) {
            fromMemory += memory.recall(path.c_str()) != nullptr;
            ASSERT_TRUE(loadSceneFile(path.c_str(), mesh, memory).rendered());
            ASSERT_TRUE(sameMesh(mesh, expected[version]))
                << "load " << load << " showed an older save";
        }
    }
    std::cout << "loads " << 2 * reloadCount() << ", " << fromMemory << " from memory\n";
    EXPECT_GT(fromMemory, 0);
}
