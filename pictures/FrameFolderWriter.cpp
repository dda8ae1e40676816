#include "pictures/FrameFolderWriter.h"

#include "output/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Vextal {

FrameFolderWriter::FrameFolderWriter(std::string folder, const AnimationFormat& format,
                                     std::string comment)
    : folder(std::move(folder)), format(format), comment(std::move(comment)) {
    while (this->folder.size() > 1 && this->folder.back() == '/')
        this->folder.pop_back();
}

std::string FrameFolderWriter::framePath(std::uint32_t index) const {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04u.png", unsigned(index + 1));
    return folder + "/" + name;
}

std::string FrameFolderWriter::start() {
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        struct stat status {};
        if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            return {};
        return "is not a folder";
    }
    return std::string("cannot make the folder: ") + std::strerror(errno);
}

std::string FrameFolderWriter::addFrame(const RgbaPicture& frame) {
    const std::string path = framePath(frameIndex++);
    OutputFile out(path);
    std::string problem = out.error();
    if (problem.empty())
        problem = writePng(out.stream(), frame, comment);
    if (problem.empty() && !out.commit())
        problem = out.error();
    // Named within the folder, which the caller names.
    return problem.empty() ? problem : path.substr(folder.size() + 1) + ": " + problem;
}

} // namespace Vextal
