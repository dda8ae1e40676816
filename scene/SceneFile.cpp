#include "scene/SceneFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vextal {

SceneFileHandle openSceneFile(const char* path) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {-1, errno, false};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return {-1, error, false};
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return {-1, S_ISDIR(status.st_mode) ? EISDIR : 0, true};
    }
    return {fd, 0, false};
}

} // namespace Vextal
