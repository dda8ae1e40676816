// Scene paths that are no ordinary file, or a file that changes under the
// loader: FIFOs, directories, devices, symbolic links that lead nowhere, files
// the user may not read, and files truncated or replaced while they are read.
// None may block the loader, and none may leave a mesh other than the last
// good one or the one the file describes.

#include "HostileLoad.h"
#include "ReadHook.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneFile.h"
#include "scene/SceneTokenReader.h"
#include "support/ChildProcess.h"
#include "support/MeshCompare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Vextal;
using VextalTest::loadInChild;
using VextalTest::LoadReport;

namespace {

class HostileFile : public ::testing::Test {
protected:
    // The load must have been refused before reading, with the mesh kept.
    void expectRefused(const LoadReport& report, SceneLoadStatus status, int errorNumber,
                       const std::string& what) {
        EXPECT_EQ(report.status, status) << what;
        if (errorNumber != 0) {
            EXPECT_EQ(report.errorNumber, errorNumber) << what;
        }
        EXPECT_TRUE(report.meshKept) << what;
    }

    VextalTest::TempDir dir;
};

} // namespace

TEST_F(HostileFile, aFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string fifo = dir.path("conf.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    expectRefused(loadInChild(fifo), SceneLoadStatus::notRegularFile, 0, "FIFO, no writer");

    // With a writer that has already sent a whole scene it is refused too:
    // a FIFO can be read once only and may never end.
    VextalTest::ChildProcess writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const char scene[] = "\"sss slice 5 render\n";
        if (fd < 0 || ::write(fd, scene, sizeof scene - 1) < 0)
            return 1;
        ::pause();
        return 0;
    });
    ASSERT_TRUE(writer.started());
    const int reader = ::open(fifo.c_str(), O_RDONLY); // lets the writer's open return
    ASSERT_GE(reader, 0);
    expectRefused(loadInChild(fifo), SceneLoadStatus::notRegularFile, 0, "FIFO with a writer");
    ::close(reader);
}

TEST_F(HostileFile, aDirectoryIsRefused) {
    const std::string folder = dir.path("conf.txt");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    expectRefused(loadInChild(folder), SceneLoadStatus::notRegularFile, EISDIR, "directory");
    expectRefused(loadInChild(folder + "/"), SceneLoadStatus::notRegularFile, EISDIR,
                  "directory with a slash");
}

TEST_F(HostileFile, devicesAreRefusedEvenWhenTheyNeverEnd) {
    for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null", "/dev/full"})
        expectRefused(loadInChild(device), SceneLoadStatus::notRegularFile, 0, device);
}

TEST_F(HostileFile, symbolicLinksThatLeadNowhereCannotBeOpened) {
    const std::string dangling = dir.path("dangling.txt");
    ASSERT_EQ(::symlink(dir.path("missing.txt").c_str(), dangling.c_str()), 0);
    expectRefused(loadInChild(dangling), SceneLoadStatus::cannotOpen, ENOENT, "dangling link");

    const std::string self = dir.path("self.txt");
    ASSERT_EQ(::symlink(self.c_str(), self.c_str()), 0);
    expectRefused(loadInChild(self), SceneLoadStatus::cannotOpen, ELOOP, "link to itself");

    const std::string a = dir.path("a.txt"), b = dir.path("b.txt");
    ASSERT_EQ(::symlink(b.c_str(), a.c_str()), 0);
    ASSERT_EQ(::symlink(a.c_str(), b.c_str()), 0);
    expectRefused(loadInChild(a), SceneLoadStatus::cannotOpen, ELOOP, "loop of two links");
}

TEST_F(HostileFile, symbolicLinksAreFollowedToWhatTheyName) {
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string toFifo = dir.path("to-fifo.txt");
    ASSERT_EQ(::symlink(fifo.c_str(), toFifo.c_str()), 0);
    expectRefused(loadInChild(toFifo), SceneLoadStatus::notRegularFile, 0, "link to a FIFO");

    const std::string good = dir.write("good.txt", "\"sss slice 4 render");
    const std::string toGood = dir.path("to-good.txt");
    ASSERT_EQ(::symlink(good.c_str(), toGood.c_str()), 0);
    const LoadReport report = loadInChild(toGood);
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.sliceCount, 4);
}

TEST_F(HostileFile, aPathThroughAFileOrAnEmptyPathCannotBeOpened) {
    const std::string file = dir.write("plain.txt", "\"sss render");
    expectRefused(loadInChild(file + "/conf.txt"), SceneLoadStatus::cannotOpen, ENOTDIR,
                  "path through a file");
    expectRefused(loadInChild(""), SceneLoadStatus::cannotOpen, ENOENT, "empty path");
    expectRefused(loadInChild(std::string(5000, 'a')), SceneLoadStatus::cannotOpen, ENAMETOOLONG,
                  "overlong path");
}

namespace {

// Makes this (child) process an unprivileged user, so that file permissions
// apply to it: the tests may run as root, which reads any file.
bool becomeNobody() {
    constexpr uid_t nobody = 65534;
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
           ::geteuid() == nobody;
}

} // namespace

TEST_F(HostileFile, anUnreadableFileCannotBeOpened) {
    const std::string file = dir.write("conf.txt", "\"sss slice 4 render");
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    // The unprivileged child must be able to reach the file, only not read it.
    std::filesystem::permissions(dir.path(""), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const LoadReport report = loadInChild(file, becomeNobody);
    if (report.skipped)
        GTEST_SKIP() << "cannot drop root privileges here";
    expectRefused(report, SceneLoadStatus::cannotOpen, EACCES, "mode 000");
}

TEST_F(HostileFile, aKernelFileWithoutSizeIsReadLikeText) {
    // /proc files report size 0 and yet have content; it is no scene.
    const LoadReport report = loadInChild("/proc/self/status");
    EXPECT_FALSE(report.rendered());
    EXPECT_TRUE(report.meshKept);
}

namespace {

// A scene that renders only when read to its end: a megabyte of unknown
// words stands between its commands and "render", so that reading it takes
// many reads and a writer has time to change it meanwhile.
std::string longScene(const char* selector, int slices) {
    std::string text = std::string(selector) + " slice " + std::to_string(slices) + "\n";
    for (int i = 0; i < 100'000; ++i)
        text += "filler.. ";
    return text + "\nrender\n";
}

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            ::_exit(3);
        bytes.remove_prefix(std::size_t(n));
    }
}

// The mesh a primitive gives, for bit-exact comparison with what a load left.
template <class Primitive>
void tessellated(Primitive primitive, int slices, PolygonsIndexedNormal& mesh) {
    primitive.sliceCount = std::uint8_t(slices);
    primitive.tessellate(mesh);
    mesh.computeNormals();
}

} // namespace

TEST_F(HostileFile, aFileTruncatedWhileItIsReadEndsTheLoadOrLoadsWhole) {
    const std::string path = dir.path("conf.txt");
    const std::string scene = longScene("\"sss", 7);
    dir.write("conf.txt", scene);
    PolygonsIndexedNormal whole;
    tessellated(PrimitiveSuperShapeSpheric(), 7, whole);

    // The writer cuts the file short at varying lengths, in place, and writes
    // it back, over and over.
    VextalTest::ChildProcess writer([&] {
        const int fd = ::open(path.c_str(), O_WRONLY);
        for (std::size_t round = 0;; ++round) {
            if (::ftruncate(fd, off_t((round * 7919) % scene.size())) != 0)
                return 2;
            if (::pwrite(fd, scene.data(), scene.size(), 0) < 0)
                return 3;
        }
    });
    ASSERT_TRUE(writer.started());

    PolygonsIndexedNormal mesh;
    int rendered = 0, stopped = 0;
    for (int load = 0; load < 200; ++load) {
        PolygonsIndexedNormal before;
        tessellated(PrimitiveSuperShapeToric(), 3 + load % 5, before);
        tessellated(PrimitiveSuperShapeToric(), 3 + load % 5, mesh);
        const SceneLoadResult result = loadSceneFile(path.c_str(), mesh);
        if (result.rendered()) {
            ++rendered;
            ASSERT_TRUE(VextalTest::sameMesh(mesh, whole)) << "load " << load;
        } else {
            ++stopped;
            ASSERT_TRUE(VextalTest::sameMesh(mesh, before)) << "load " << load;
        }
    }
    writer.kill();
    EXPECT_GT(rendered + stopped, 0);
    RecordProperty("rendered", rendered);
    RecordProperty("stopped", stopped);
}

TEST_F(HostileFile, aFileReplacedWhileItIsReadLoadsOneVersionWhole) {
    const std::string path = dir.path("conf.txt");
    const std::string versions[] = {longScene("\"sss", 7), longScene("\"tss", 9),
                                    std::string(1u << 20, 'z')}; // the last never renders
    dir.write("conf.txt", versions[0]);
    PolygonsIndexedNormal seven, nine;
    tessellated(PrimitiveSuperShapeSpheric(), 7, seven);
    tessellated(PrimitiveSuperShapeToric(), 9, nine);

    // The writer saves each version to a new file and renames it over the
    // scene, as careful editors do.
    VextalTest::ChildProcess writer([&] {
        const std::string temporary = path + ".new";
        for (std::size_t round = 0;; ++round) {
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            writeAll(fd, versions[round % 3]);
            ::close(fd);
            if (::rename(temporary.c_str(), path.c_str()) != 0)
                return 2;
        }
    });
    ASSERT_TRUE(writer.started());

    PolygonsIndexedNormal mesh;
    for (int load = 0; load < 200; ++load) {
        PolygonsIndexedNormal before;
        tessellated(PrimitiveSuperShapeSpheric(), 3 + load % 5, before);
        tessellated(PrimitiveSuperShapeSpheric(), 3 + load % 5, mesh);
        const SceneLoadResult result = loadSceneFile(path.c_str(), mesh);
        if (result.rendered()) {
            ASSERT_TRUE(VextalTest::sameMesh(mesh, seven) || VextalTest::sameMesh(mesh, nine))
                << "load " << load << " left a mesh of neither version";
        } else {
            ASSERT_TRUE(VextalTest::sameMesh(mesh, before)) << "load " << load;
        }
    }
    writer.kill();
}

TEST_F(HostileFile, aSaveInPlaceAfterOpeningIsNoticed) {
    const std::string path = dir.write("conf.txt", "\"sss slice 4 render");
    const SceneFileHandle file = openSceneFile(path.c_str());
    ASSERT_GE(file.fd, 0);
    EXPECT_FALSE(sceneFileChangedSinceOpened(file));

    // The same length with other bytes, saved at another time.
    std::ofstream(path, std::ios::binary | std::ios::in) << "\"tss";
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_TRUE(sceneFileChangedSinceOpened(file));
    ::close(file.fd);

    // Longer, as a save that appends.
    const SceneFileHandle again = openSceneFile(path.c_str());
    ASSERT_GE(again.fd, 0);
    std::ofstream(path, std::ios::binary | std::ios::app) << " slice 5";
    EXPECT_TRUE(sceneFileChangedSinceOpened(again));
    ::close(again.fd);
}

// The same race made to happen every time: a save in place lands between the
// first two reads of one load (the file is longer than the loader's buffer),
// and the second read hands the reader the middle of the new, longer version,
// "x coef1 1 1 1 4 1 1 render". The load is not trusted.
TEST_F(HostileFile, aSaveBetweenTwoReadsOfOneLoadIsNoticedEveryTime) {
    const auto padded = [](std::string text, std::size_t size) {
        while (text.size() < size)
            text += "w ";
        return text.substr(0, size);
    };
    const std::size_t buffer = SceneTokenReader::bufferSize;
    const std::string first = padded("\"sss slice 3 rotate 3 ", buffer) + padded("", 40) + "render";
    const std::string second = padded("\"tss slice 3 rotate 3 dontclose ", buffer) +
                               "x coef1 1 1 1 4 1 1 render" + std::string(64, ' ');
    const std::string path = dir.write("conf.txt", first);
    int reads = 0;
    VextalTest::afterEachRead = [&](int, long got) {
        if (got > 0 && ++reads == 1) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
            ASSERT_EQ(::write(fd, second.data(), second.size()), ssize_t(second.size()));
            ::close(fd);
        }
    };
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneFile(path.c_str(), mesh);
    VextalTest::afterEachRead = nullptr;
    EXPECT_EQ(reads, 2) << "the save did not land between two reads";
    EXPECT_EQ(loaded.status, SceneLoadStatus::changedWhileRead);
}

TEST_F(HostileFile, aFileRewrittenInPlaceNeverYieldsAMixOfTwoVersions) {
    // The first version ends right after "render", with no line end, so the
    // reader must try to read on to see that the word has ended. If the
    // editor has meanwhile truncated the file and written the second, longer
    // version, what lies past that point is the middle of the second version:
    // "x coef1 1 1 1 4 1 1 ...", commands of neither. Unknown words before
    // "render" keep the reader busy between its reads, widening the window.
    // On tmpfs a truncation is immediate; on a disk file system it waits for
    // the write-back of the previous save, and the file is empty most of the time.
    std::string shm = "/dev/shm/vextal-mix-XXXXXX";
    const bool onTmpfs = ::mkdtemp(shm.data()) != nullptr;
    const std::string path = onTmpfs ? shm + "/conf.txt" : dir.path("conf.txt");
    std::string first = "\"sss slice 3 rotate 3 ";
    for (int i = 0; i < 1000; ++i)
        first += "w ";
    first += "render";
    std::string second = "\"tss slice 3 rotate 3 dontclose ";
    second.resize(first.size(), 'w');
    second += "x coef1 1 1 1 4 1 1 coef2 0.5 0.5 0.5 5 1 1 render\n";
    PolygonsIndexedNormal firstMesh, secondMesh;
    ASSERT_TRUE(loadSceneFile(dir.write("first.txt", first).c_str(), firstMesh).rendered());
    ASSERT_TRUE(loadSceneFile(dir.write("second.txt", second).c_str(), secondMesh).rendered());
    { std::ofstream(path, std::ios::binary) << first; }

    VextalTest::ChildProcess writer([&]() -> int {
        for (std::size_t round = 0;; ++round) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
            writeAll(fd, round % 2 ? second : first);
            ::close(fd);
        }
    });
    ASSERT_TRUE(writer.started());

    // The window is a few microseconds wide: it takes many loads to meet it.
    int mixed = 0, rendered = 0;
    PolygonsIndexedNormal mesh;
    for (int load = 0; load < 200'000 && mixed == 0; ++load) {
        if (!loadSceneFile(path.c_str(), mesh).rendered())
            continue;
        ++rendered;
        if (!VextalTest::sameMesh(mesh, firstMesh) && !VextalTest::sameMesh(mesh, secondMesh))
            ++mixed;
    }
    writer.kill();
    if (onTmpfs)
        std::filesystem::remove_all(shm);
    RecordProperty("rendered", rendered);
    EXPECT_EQ(mixed, 0) << "a load built a surface from two versions of the file";
    EXPECT_GT(rendered, 0);
}
