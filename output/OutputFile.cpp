#include "output/OutputFile.h"

#include "base/EscapedText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <unistd.h>

namespace Vextal {

namespace {

constexpr int namingAttempts = 100;
// How often a stoppable output looks at its stop while it waits for a reader.
constexpr int stopLookMilliseconds = 20;

bool stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

bool sameFile(const struct stat& output, const std::string& input) {
    struct stat read {};
    return !input.empty() && ::stat(input.c_str(), &read) == 0 && output.st_dev == read.st_dev &&
           output.st_ino == read.st_ino;
}

// Short and independent of the output's name, so that every legal name, up
// to the longest, can still be written.
std::string freshTemporaryName() {
    static std::mt19937_64 generator{std::random_device{}() ^ std::uint64_t(::getpid())};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".vextal-";
    for (int k = 0; k < 8; ++k)
        name += letters[generator() % (sizeof letters - 1)];
    return name;
}

// An unnamed file gets a name through its /proc entry, which needs no privilege.
int linkUnnamed(int fd, int folderFd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW);
}

} // namespace

OutputFile::OutputFile(const std::string& path) : OutputFile(path, Options()) {}

OutputFile::OutputFile(const std::string& path, const Options& options)
    : shownName(path == "-" && !options.regularOnly ? "standard output" : path),
      stop(options.stop) {
    // Past the file size limit a write then fails with EFBIG, which is said and
    // cleaned up, instead of the signal ending the process.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previousFileSizeAction);

    if (path == "-" && !options.regularOnly) {
        openStandardOutput(options);
        return;
    }
    target = findOutputTarget(path);
    const bool streamed = target.kind == OutputTarget::Kind::standardOutput ||
                          target.kind == OutputTarget::Kind::stream;
    if (target.kind == OutputTarget::Kind::refused)
        fail(target.problem);
    else if (streamed && options.regularOnly)
        fail("is not a regular file, not written");
    else if (target.kind == OutputTarget::Kind::standardOutput)
        openStandardOutput(options);
    else if (target.kind == OutputTarget::Kind::stream)
        openStream(options);
    else
        openReplacement(options);
}

OutputFile::~OutputFile() {
    discard();
    if (folderFd >= 0)
        ::close(folderFd);
    ::sigaction(SIGXFSZ, &previousFileSizeAction, nullptr);
}

// Compared by device and inode, so that no name or link of an input is written.
bool OutputFile::refuseInput(const struct stat& output, const Options& options) {
    std::vector<std::string> inputs = options.otherInputs;
    inputs.insert(inputs.begin(), options.input);
    // The message follows the output's name: an input of that very name is
    // not named again.
    for (const std::string& input : inputs)
        if (sameFile(output, input))
            return !fail(input == shownName ? "is a file being read; not written over it"
                                            : "is the same file as " + escaped(input) +
                                                  ", which is being read; not written over it");
    return false;
}

void OutputFile::openStandardOutput(const Options& options) {
    fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        failWithErrno("cannot write");
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && refuseInput(status, options))
        return discard();
    mode = Mode::stream;
    attachStream();
}

// No temporary and no rename: a FIFO or a device takes the bytes as they come.
void OutputFile::openStream(const Options& options) {
    fd = openStreamTarget(options.stop);
    if (fd < 0) {
        failWithErrno("cannot open for writing");
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !(S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode))) {
        fail("was replaced while being opened, not written");
        return discard();
    }
    if (refuseInput(status, options))
        return discard();
    mode = Mode::stream;
    attachStream();
}

// A blocking open of a FIFO waits for a reader and cannot be ended; with a
// stop, the open is tried without blocking until a reader comes (ENXIO until
// then) or the stop is set.
int OutputFile::openStreamTarget(const std::atomic<bool>* stop) const {
    if (!stop)
        return ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    for (;;) {
        const int opened =
            ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (opened >= 0 || errno != ENXIO)
            return opened;
        if (stopped(stop)) {
            errno = ECANCELED;
            return -1;
        }
        ::poll(nullptr, 0, stopLookMilliseconds);
    }
}

// A full FIFO of a stoppable output: waits for room, a little at a time.
// False, with errno set, when the stop is set or the wait fails.
bool OutputFile::waitUntilWritable() {
    for (;;) {
        if (stopped(stop)) {
            errno = ECANCELED;
            return false;
        }
        pollfd room{fd, POLLOUT, 0};
        const int ready = ::poll(&room, 1, stopLookMilliseconds);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

void OutputFile::openReplacement(const Options& options) {
    if (target.kind == OutputTarget::Kind::regular) {
        if (refuseInput(target.status, options))
            return;
        if (!mayReplace())
            return;
    }
    // A folder opened for reading can be synced; one that only allows
    // searching still takes the new file.
    folderFd = ::open(target.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    folderSyncable = folderFd >= 0;
    if (folderFd < 0)
        folderFd = ::open(target.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        failWithErrno("cannot create the new file in " + escaped(target.folder));
        return;
    }
    const bool created =
        (options.unnamedTemporary && createUnnamed()) || (message.empty() && createNamed());
    if (!created)
        return;
    keepOwnerAndPermissions();
    attachStream();
}

// The kernel lets root write every file, whatever its mode; a file that no one
// may write is kept, for root too, as its mode asks.
bool OutputFile::mayReplace() {
    if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0)
        return failWithErrno("cannot replace the file");
    if ((target.status.st_mode & 0222) == 0)
        return fail("cannot replace the file: it is read-only");
    return true;
}

bool OutputFile::createUnnamed() {
    if (::access("/proc/self/fd", X_OK) != 0)
        return false; // no way to name the file later
    const mode_t permissions = target.kind == OutputTarget::Kind::regular ? 0600 : 0666;
    fd = ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, permissions);
    if (fd >= 0) {
        mode = Mode::unnamed;
        return true;
    }
    if (errno == EOPNOTSUPP || errno == EISDIR)
        return false; // this file system has no unnamed files
    return failWithErrno("cannot create the new file in " + escaped(target.folder));
}

bool OutputFile::createNamed() {
    const mode_t permissions = target.kind == OutputTarget::Kind::regular ? 0600 : 0666;
    // Held so that no signal comes between making the name and guarding it.
    const FatalSignalsHeld held;
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        const std::string name = freshTemporaryName();
        fd = ::openat(folderFd, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                      permissions);
        if (fd >= 0) {
            temporaryName = name;
            mode = Mode::named;
            cleanup.arm(folderFd, name.c_str());
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return failWithErrno("cannot create the new file in " + escaped(target.folder));
}

// Ownership first: changing it clears the set-user-ID and set-group-ID bits,
// which are not carried over anyway. The group alone may be given where the
// owner may not; otherwise the new file is the user's.
void OutputFile::keepOwnerAndPermissions() {
    if (target.kind != OutputTarget::Kind::regular)
        return;
    const struct stat& old = target.status;
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // When the group is refused too, the file stays the user's.
        [[maybe_unused]] const int groupGiven = ::fchown(fd, uid_t(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 0777);
}

// The stream writes through writeAll, which keeps the first failure's reason:
// once a write fails, later calls would only report a generic error.
bool OutputFile::attachStream() {
    file = ::fopencookie(this, "wb", {nullptr, writeAll, nullptr, nullptr});
    if (file)
        return true;
    failWithErrno("cannot write");
    discard();
    return false;
}

ssize_t OutputFile::writeAll(void* self, const char* bytes, std::size_t size) {
    auto* out = static_cast<OutputFile*>(self);
    // Stopped, the output takes nothing more, so that a writer that looks at
    // its stream's state ends soon.
    if (stopped(out->stop)) {
        out->writeError = out->writeError != 0 ? out->writeError : ECANCELED;
        return -1;
    }
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = ::write(out->fd, bytes + done, size - done);
        if (written < 0 && errno == EINTR && !stopped(out->stop))
            continue;
        if (written < 0 && errno == EAGAIN && out->waitUntilWritable())
            continue;
        if (written <= 0) {
            if (out->writeError == 0)
                out->writeError = written < 0 ? errno : EIO;
            return -1;
        }
        done += std::size_t(written);
    }
    return ssize_t(size);
}

bool OutputFile::commit() {
    if (!file) {
        if (message.empty())
            fail("cannot write: the output was not opened");
        return false;
    }
    const bool written = std::fflush(file) == 0 && !std::ferror(file) && writeError == 0;
    std::fclose(file);
    file = nullptr;
    if (!written) {
        errno = writeError != 0 ? writeError : EIO;
        failWithErrno("cannot write");
        discard();
        return false;
    }
    if (mode == Mode::stream) {
        discard();
        return true;
    }
    if (::fsync(fd) != 0) {
        failWithErrno("cannot write the new file to disk");
        discard();
        return false;
    }
    // The last moment a stop can keep the old file: syncing a large file
    // takes long enough for one to come.
    if (stopped(stop)) {
        errno = ECANCELED;
        failWithErrno("not put in place");
        discard();
        return false;
    }
    const bool placed = mode == Mode::unnamed ? linkIntoPlace() : renameIntoPlace(temporaryName);
    discard();
    if (placed)
        syncFolder();
    return placed && message.empty();
}

// A new name is linked directly. An existing one cannot be linked over: the
// file gets a temporary name first and is renamed over it, so that the name
// holds the old file until the moment it holds the new one.
bool OutputFile::linkIntoPlace() {
    const FatalSignalsHeld held;
    if (target.kind == OutputTarget::Kind::missing) {
        if (linkUnnamed(fd, folderFd, target.name) == 0)
            return true;
        if (errno != EEXIST)
            return failWithErrno("cannot put the new file in place in " + escaped(target.folder));
    }
    for (int attempt = 0; attempt < namingAttempts; ++attempt) {
        const std::string name = freshTemporaryName();
        if (linkUnnamed(fd, folderFd, name) == 0)
            return renameIntoPlace(name);
        if (errno != EEXIST)
            break;
    }
    return failWithErrno("cannot put the new file in place in " + escaped(target.folder));
}

bool OutputFile::renameIntoPlace(const std::string& from) {
    const FatalSignalsHeld held;
    const bool renamed = ::renameat(folderFd, from.c_str(), folderFd, target.name.c_str()) == 0;
    const int renameError = errno;
    if (!renamed)
        ::unlinkat(folderFd, from.c_str(), 0);
    cleanup.disarm();
    temporaryName.clear();
    if (renamed)
        return true;
    errno = renameError;
    return failWithErrno("cannot put the new file in place in " + escaped(target.folder));
}

// The new entry is on disk only once its folder is; file systems that cannot
// sync a folder say EINVAL.
void OutputFile::syncFolder() {
    if (folderSyncable && ::fsync(folderFd) != 0 && errno != EINVAL)
        failWithErrno("written, but the folder " + escaped(target.folder) +
                      " cannot be synced to disk");
}

bool OutputFile::fail(const std::string& what) {
    if (message.empty())
        message = what;
    return false;
}

bool OutputFile::failWithErrno(const std::string& what) {
    return fail(what + ": " + std::strerror(errno));
}

void OutputFile::discard() {
    if (file)
        std::fclose(file);
    file = nullptr;
    if (!temporaryName.empty())
        ::unlinkat(folderFd, temporaryName.c_str(), 0);
    temporaryName.clear();
    cleanup.disarm();
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    mode = Mode::none;
}

} // namespace Vextal
