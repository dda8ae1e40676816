#include "app/PathWalk.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>

namespace Vextal {

namespace {

constexpr int maxLinks = 40; // the kernel's own limit (ELOOP)

// The parts of a path, empty ones and "." dropped, onto the front of `parts`.
void prependParts(const std::string& path, std::deque<std::string>& parts) {
    std::deque<std::string> own;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(start, slash - start);
        if (!part.empty() && part != ".")
            own.push_back(part);
        start = slash + 1;
    }
    parts.insert(parts.begin(), own.begin(), own.end());
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool readLink(const std::string& path, std::string& target) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0 || std::size_t(length) >= sizeof buffer)
        return false;
    target.assign(buffer, std::size_t(length));
    return true;
}

} // namespace

PathWalk walkPath(const std::string& path) {
    PathWalk walk;
    std::deque<std::string> parts;
    prependParts(path, parts);
    std::string folder = path.starts_with('/') ? "/" : ".";
    int links = 0;
    while (!parts.empty()) {
        const std::string name = std::move(parts.front());
        parts.pop_front();
        walk.lookups.push_back({folder, name});
        walk.reachesLastPart = parts.empty();
        const std::string here = join(folder, name);
        struct stat status;
        if (::lstat(here.c_str(), &status) != 0) {
            walk.complete = errno == ENOENT || errno == ENOTDIR;
            return walk; // the path goes no further today: watch where it would go on
        }
        if (S_ISLNK(status.st_mode)) {
            std::string target;
            if (++links > maxLinks || !readLink(here, target)) {
                walk.complete = false;
                return walk;
            }
            prependParts(target, parts);
            if (target.starts_with('/'))
                folder = "/";
            continue;
        }
        if (parts.empty()) {
            walk.reachesFile = !S_ISDIR(status.st_mode);
            walk.file = here;
            return walk;
        }
        if (!S_ISDIR(status.st_mode))
            return walk; // a file where a folder should be: nothing lies beyond
        folder = here;
    }
    return walk;
}

} // namespace Vextal
