#include "export/OutputTarget.h"

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

// Says what the final, non-link name holds.
OutputTarget classify(OutputTarget target, const std::string& original) {
    const mode_t mode = target.status.st_mode;
    if (S_ISREG(mode))
        target.kind = OutputTarget::Kind::regular;
    else if (S_ISFIFO(mode) || S_ISCHR(mode))
        target.kind = OutputTarget::Kind::stream;
    else if (target.path == original)
        return refused(target, std::string("is ") + whatItIs(mode) + ", not written");
    else
        return refused(target, "is a symbolic link to " + target.path + ", which is " +
                                   whatItIs(mode) + ", not written");
    return target;
}

} // namespace

OutputTarget findOutputTarget(const std::string& path) {
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
        if (!S_ISLNK(target.status.st_mode))
            return classify(target, path);
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

} // namespace Vextal
