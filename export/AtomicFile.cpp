#include "export/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Vextal {

namespace {

// mkstemp makes 0600 files; the result should carry the permissions any newly
// created file gets.
mode_t permissionsForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

AtomicFile::AtomicFile(std::string path) : finalPath(std::move(path)) {
    temporaryPath = finalPath + ".tmpXXXXXX";
    const int fd = ::mkstemp(temporaryPath.data());
    if (fd < 0) {
        fail("cannot create");
        temporaryPath.clear();
        return;
    }
    ::fchmod(fd, permissionsForNewFile());
    file = ::fdopen(fd, "wb");
    if (!file) {
        fail("cannot open");
        ::close(fd);
        discard();
    }
}

AtomicFile::~AtomicFile() {
    if (file)
        std::fclose(file);
    discard();
}

void AtomicFile::fail(const char* what) {
    if (message.empty())
        message = std::string(what) + ": " + std::strerror(errno);
}

void AtomicFile::discard() {
    if (!temporaryPath.empty())
        ::unlink(temporaryPath.c_str());
    temporaryPath.clear();
}

bool AtomicFile::commit() {
    if (!file)
        return false;
    const bool written = !std::ferror(file) && std::fflush(file) == 0;
    if (!written)
        fail("cannot write");
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (written && !closed)
        fail("cannot write");
    if (!written || !closed) {
        discard();
        return false;
    }
    if (::rename(temporaryPath.c_str(), finalPath.c_str()) != 0) {
        fail("cannot rename into place");
        discard();
        return false;
    }
    temporaryPath.clear();
    return true;
}

} // namespace Vextal
