#include "panel/FreshName.h"

#include <sys/stat.h>

namespace Vextal {

namespace {

bool taken(const std::string& name) {
    struct stat status;
    return ::lstat(name.c_str(), &status) == 0;
}

} // namespace

std::string freshNameBeside(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    // A leading dot (".scene") starts a hidden name, not an extension.
    const std::size_t stemEnd = dot != std::string::npos && dot > nameStart ? dot : path.size();
    const std::string stem = path.substr(0, stemEnd);
    for (unsigned n = 1;; ++n) {
        std::string name = stem + "-" + std::to_string(n) + "." + extension;
        if (!taken(name) || n == 1000000)
            return name;
    }
}

} // namespace Vextal
