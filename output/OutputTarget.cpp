#include "output/OutputTarget.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace Vextal {

namespace {

// As many links as the kernel itself follows in one path.
constexpr int maxLinksFollowed = 40;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// A relative link target is taken from the folder that holds the link.
std::string linkTarget(const std::string& link, const std::string& target) {
    if (target.starts_with('/'))
        return target;
    const std::string folder = folderOf(link);
    return folder == "." && !link.starts_with("./") ? target : folder + "/" + target;
}

const char* whatItIs(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

OutputTarget refused(OutputTarget target, const std::string& why) {
    target.kind = OutputTarget::Kind::refused;
    target.problem = why;
    return target;
}

std::string lookUpFailure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A FIFO, a device, a folder or a socket, as the kernel finds it: it follows
// the links itself when the stream is opened, /proc's own included.
OutputTarget classifySpecial(const std::string& path, const struct stat& status) {
    OutputTarget target;
    target.path = path;
    target.status = status;
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)) {
        target.kind = OutputTarget::Kind::stream;
        return target;
    }
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    return refused(target, std::string("is ") + (isLink ? "a symbolic link to " : "") +
                               whatItIs(status.st_mode) + ", not written");
}

// Follows the chain by hand to the name that the new file must take.
OutputTarget followLinks(const std::string& path) {
    OutputTarget target;
    target.path = path;
    for (int followed = 0;; ++followed) {
        target.folder = folderOf(target.path);
        target.name = nameOf(target.path);
        if (target.name.empty())
            return refused(target, "ends in '/', which names a folder, not written");
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            if (errno != ENOENT)
                return refused(target, lookUpFailure("cannot look up"));
            target.kind = OutputTarget::Kind::missing;
            return target;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.kind = OutputTarget::Kind::regular;
            return target;
        }
        if (followed == maxLinksFollowed) {
            errno = ELOOP;
            return refused(target, lookUpFailure("cannot follow the symbolic links"));
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.path.c_str(), link, sizeof link);
        if (length < 0 || length == ssize_t(sizeof link)) {
            if (length >= 0)
                errno = ENAMETOOLONG;
            return refused(target, lookUpFailure("cannot read the symbolic link"));
        }
        target.path = linkTarget(target.path, std::string(link, std::size_t(length)));
    }
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A link to the standard output (/dev/stdout, /dev/fd/1) means the stream
// the caller set up, appending or not, whatever it is.
bool isLinkToStandardOutput(const std::string& path, const struct stat& followed) {
    struct stat link {
    }, standardOutput{};
    return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
           ::fstat(STDOUT_FILENO, &standardOutput) == 0 && sameFile(standardOutput, followed);
}

} // namespace

OutputTarget findOutputTarget(const std::string& path) {
    struct stat followed {};
    const bool exists = ::stat(path.c_str(), &followed) == 0;
    if (!exists && errno != ENOENT) {
        OutputTarget unknown;
        unknown.path = path;
        return refused(unknown, lookUpFailure("cannot look up"));
    }
    if (exists && isLinkToStandardOutput(path, followed)) {
        OutputTarget target;
        target.kind = OutputTarget::Kind::standardOutput;
        target.path = path;
        return target;
    }
    if (exists && !S_ISREG(followed.st_mode))
        return classifySpecial(path, followed);
    OutputTarget target = followLinks(path);
    // Links under /proc lead where no path does: such a file cannot be replaced.
    const bool found =
        target.kind == OutputTarget::Kind::regular && sameFile(target.status, followed);
    if (exists && !found && target.kind != OutputTarget::Kind::refused)
        return refused(target, "leads to a file that only the system can name, not written");
    return target;
}

} // namespace Vextal
