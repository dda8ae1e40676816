#include "scene/SceneFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace Vextal {

namespace {

long long nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

SceneFileIdentity identityOf(const struct stat& status) {
    return {static_cast<unsigned long long>(status.st_dev),
            static_cast<unsigned long long>(status.st_ino), static_cast<long long>(status.st_size),
            nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

// The clock the kernel stamps files with (ticks of a few milliseconds), read
// without a system call.
long long coarseRealTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return nanoseconds(now);
}

SceneFileHandle refused(int errorNumber, bool notRegular) {
    SceneFileHandle file;
    file.errorNumber = errorNumber;
    file.notRegular = notRegular;
    return file;
}

} // namespace

SceneFileHandle openSceneFile(const char* path) {
    const long long openedAt = coarseRealTime();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refused(errno, false);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return refused(error, false);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return refused(S_ISDIR(status.st_mode) ? EISDIR : 0, true);
    }
    return {fd, 0, false, identityOf(status), openedAt};
}

bool sceneFileChangedSinceOpened(const SceneFileHandle& file) {
    struct stat status {};
    if (::fstat(file.fd, &status) != 0)
        return true;
    return status.st_size != file.identity.size ||
           nanoseconds(status.st_mtim) != file.identity.modifiedAt;
}

bool sceneFileStillIs(const char* path, const SceneFileIdentity& identity) {
    struct stat status {};
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode) && identityOf(status) == identity;
}

} // namespace Vextal
