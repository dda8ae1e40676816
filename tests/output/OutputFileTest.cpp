#include "output/OutputFile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace Vextal;
using VextalTest::ChildProcess;
using VextalTest::readFile;
using VextalTest::TempDir;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path("")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool writeAndCommit(OutputFile& file, const std::string& text) {
    if (file.stream())
        std::fputs(text.c_str(), file.stream());
    return file.commit();
}

struct stat statusOf(const std::string& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status;
}

bool runsAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

TEST(OutputFile, nothingAppearsUntilCommitAndNothingStaysWithoutIt) {
    TempDir dir;
    const std::string path = dir.path("out.obj");
    {
        OutputFile file(path);
        std::fputs("partial", file.stream());
        EXPECT_FALSE(fs::exists(path));
        EXPECT_TRUE(fs::is_empty(dir.path(""))) << "the file being written has no name";
    }
    EXPECT_TRUE(fs::is_empty(dir.path("")));
}

TEST(OutputFile, commitReplacesAnExistingFileWhole) {
    TempDir dir;
    const std::string path = dir.write("out.obj", "old content that is longer");
    OutputFile file(path);
    ASSERT_TRUE(writeAndCommit(file, "new"));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"out.obj"});
}

TEST(OutputFile, aMissingFolderIsReportedByName) {
    TempDir dir;
    OutputFile file(dir.path("no/such/out.obj"));
    EXPECT_EQ(file.stream(), nullptr);
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(file.error(), "cannot create the new file in " + dir.path("no/such") +
                                ": No such file or directory");
}

// A copy of the kernel's full device, made in the test's own folder.
TEST(OutputFile, aFullDeviceFailsTheCommit) {
    if (!runsAsRoot())
        GTEST_SKIP() << "making a device node needs root";
    TempDir dir;
    const std::string full = dir.path("full");
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    OutputFile file(full);
    EXPECT_FALSE(writeAndCommit(file, "data"));
    EXPECT_EQ(file.error(), "cannot write: No space left on device");
    EXPECT_TRUE(S_ISCHR(statusOf(full).st_mode));
}

TEST(OutputFile, anExistingFileKeepsItsPermissionsAndOwner) {
    TempDir dir;
    const std::string path = dir.write("out.obj", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    if (runsAsRoot()) {
        ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
    }
    const struct stat old = statusOf(path);
    OutputFile file(path);
    ASSERT_TRUE(writeAndCommit(file, "new"));
    const struct stat now = statusOf(path);
    EXPECT_NE(now.st_ino, old.st_ino) << "a new file, put in place whole";
    EXPECT_EQ(now.st_mode & 07777, 0640u);
    EXPECT_EQ(now.st_uid, old.st_uid);
    EXPECT_EQ(now.st_gid, old.st_gid);
}

TEST(OutputFile, theLongestLegalNameCanBeWrittenWithEitherTemporary) {
    TempDir dir;
    const std::string path = dir.path(std::string(NAME_MAX, 'n'));
    for (const bool unnamed : {true, false}) {
        OutputFile file(path, {.input = {}, .unnamedTemporary = unnamed});
        ASSERT_TRUE(writeAndCommit(file, "whole")) << file.error();
        EXPECT_EQ(readFile(path), "whole");
        EXPECT_EQ(entries(dir).size(), 1u);
    }
}

// The kernel checks the folder, not the file, when a name is replaced: an
// ordinary user is refused a file it may not write, though the folder is open.
TEST(OutputFile, anOrdinaryUserIsRefusedWhatItMayNotWrite) {
    if (!runsAsRoot())
        GTEST_SKIP() << "becoming another user needs root";
    TempDir dir;
    fs::permissions(dir.path(""), fs::perms::all);
    const std::string theirs = dir.write("theirs.obj", "old");
    fs::create_directory(dir.path("closed"));
    ChildProcess child([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 2;
        OutputFile file(theirs);
        OutputFile inClosed(dir.path("closed/new.obj"));
        const bool refused =
            !file.stream() && file.error() == "cannot replace the file: Permission denied";
        const bool told = !inClosed.stream() &&
                          inClosed.error() == "cannot create the new file in " +
                                                  dir.path("closed") + ": Permission denied";
        return refused && told ? 0 : 1;
    });
    ASSERT_TRUE(child.waitFor(std::chrono::seconds(10)));
    EXPECT_TRUE(child.exitedWith(0)) << child.describe();
    EXPECT_EQ(readFile(theirs), "old");
}

TEST(OutputFile, aFolderABlockDeviceAndASocketAreRefusedSayingWhatTheyAre) {
    TempDir dir;
    fs::create_directory(dir.path("folder"));
    fs::create_symlink("folder", dir.path("link"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.path("socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::pair<std::string, std::string>> cases = {
        {"folder", "is a folder, not written"},
        {"link", "is a symbolic link to a folder, not written"},
        {"socket", "is a socket, not written"},
    };
    if (runsAsRoot() && ::mknod(dir.path("block").c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0)
        cases.push_back({"block", "is a block device, not written"});
    for (const auto& [name, message] : cases) {
        OutputFile file(dir.path(name));
        EXPECT_EQ(file.stream(), nullptr) << name;
        EXPECT_EQ(file.error(), message);
    }
    ::close(sock);
    EXPECT_TRUE(fs::is_empty(dir.path("folder")));
}

// Each child writes half a file over an old one and is stopped mid-write.
TEST(OutputFile, aStoppedWriterLeavesTheOldFileAndNoTemporary) {
    const std::pair<int, bool> stops[] = {
        {SIGKILL, true}, {SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGPIPE, false}};
    for (const auto& [signal, unnamed] : stops) {
        TempDir dir;
        const std::string path = dir.write("out.obj", "old");
        ChildProcess child([&] {
            OutputFile file(path, {.input = {}, .unnamedTemporary = unnamed});
            std::fputs("half", file.stream());
            std::fflush(file.stream());
            ::raise(signal);
            return 0;
        });
        ASSERT_TRUE(child.waitFor(std::chrono::seconds(10)));
        EXPECT_EQ(child.describe().rfind("signal " + std::to_string(signal), 0), 0u)
            << child.describe();
        EXPECT_EQ(entries(dir), std::vector<std::string>{"out.obj"}) << strsignal(signal);
        EXPECT_EQ(readFile(path), "old");
    }
}

TEST(OutputFile, theFileSizeLimitFailsTheCommitAndLeavesTheOldFile) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        const std::string path = dir.write("out.obj", "old");
        ChildProcess child([&] {
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            OutputFile file(path, {.input = {}, .unnamedTemporary = unnamed});
            const bool committed = writeAndCommit(file, std::string(100000, 'x'));
            return !committed && file.error() == "cannot write: File too large" ? 0 : 1;
        });
        ASSERT_TRUE(child.waitFor(std::chrono::seconds(10)));
        EXPECT_TRUE(child.exitedWith(0)) << child.describe();
        EXPECT_EQ(entries(dir), std::vector<std::string>{"out.obj"});
        EXPECT_EQ(readFile(path), "old");
    }
}

// A stop set from another thread ends a wait for a FIFO's reader, which a
// blocking open could not, and keeps a regular file's old content even when
// the new one was written whole.
TEST(OutputFile, aStopEndsTheWaitForAReaderAndKeepsTheOldFile) {
    TempDir dir;
    const std::string fifo = dir.path("out.ply");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> stop{false};
    std::thread stopper([&stop] {
        ::usleep(100 * 1000);
        stop = true;
    });
    OutputFile waited(fifo, {.input = "", .stop = &stop});
    stopper.join();
    EXPECT_EQ(waited.stream(), nullptr);
    EXPECT_NE(waited.error().find("Operation canceled"), std::string::npos) << waited.error();

    const std::string path = dir.path("kept.obj");
    std::atomic<bool> later{false};
    {
        OutputFile old(path);
        ASSERT_TRUE(writeAndCommit(old, "old"));
    }
    OutputFile stopped(path, {.input = "", .stop = &later});
    std::fputs("new", stopped.stream());
    later = true;
    EXPECT_FALSE(stopped.commit());
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"kept.obj", "out.ply"}));
}
