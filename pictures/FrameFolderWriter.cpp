#include "pictures/FrameFolderWriter.h"

#include "base/EscapedText.h"
#include "output/OutputFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace Vextal {

namespace {

std::string frameName(std::uint32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04u.png", unsigned(number));
    return name;
}

struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Every frame file's number in the folder; the folder stays open for the
// caller to act on those names.
template <typename Act> void forEachFrameFile(const std::string& folder, Act act) {
    const std::unique_ptr<DIR, FolderCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get()))
        if (const std::optional<std::uint32_t> number = frameNumberOf(entry->d_name))
            act(::dirfd(dir.get()), entry->d_name, *number);
}

} // namespace

std::optional<std::uint32_t> frameNumberOf(std::string_view name) {
    constexpr std::string_view prefix = "frame-", suffix = ".png";
    if (!name.starts_with(prefix) || !name.ends_with(suffix))
        return std::nullopt;
    const std::string_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number == 0 ||
        frameName(number) != name)
        return std::nullopt;
    return number;
}

FrameFolderWriter::FrameFolderWriter(std::string folder, const AnimationFormat& format,
                                     std::string comment, std::vector<std::string> inputs)
    : folder(std::move(folder)), format(format), comment(std::move(comment)),
      inputs(std::move(inputs)) {
    while (this->folder.size() > 1 && this->folder.back() == '/')
        this->folder.pop_back();
}

std::string FrameFolderWriter::framePath(std::uint32_t index) const {
    return folder + "/" + frameName(index + 1);
}

// Any frame file may be written or removed, so an input may be none of them.
std::string FrameFolderWriter::refuseInputs() const {
    std::string problem;
    forEachFrameFile(folder, [&](int folderFd, const char* name, std::uint32_t) {
        struct stat frame {};
        if (!problem.empty() || ::fstatat(folderFd, name, &frame, 0) != 0)
            return;
        for (const std::string& input : inputs) {
            struct stat read {};
            if (::stat(input.c_str(), &read) == 0 && read.st_dev == frame.st_dev &&
                read.st_ino == frame.st_ino) {
                const bool named = input == folder + "/" + name;
                problem =
                    std::string(name) + (named ? " is a file being read; not written over it"
                                               : " is the same file as " + escaped(input) +
                                                     ", which is being read; not written over it");
                return;
            }
        }
    });
    return problem;
}

std::string FrameFolderWriter::start() {
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        struct stat status {};
        if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            return refuseInputs();
        return "is not a folder";
    }
    return std::string("cannot make the folder: ") + std::strerror(errno);
}

std::string FrameFolderWriter::addFrame(const RgbaPicture& frame) {
    const std::string path = framePath(frameIndex++);
    OutputFile out(path, {.input = {}, .otherInputs = inputs});
    std::string problem = out.error();
    if (problem.empty())
        problem = writePng(out.stream(), frame, comment);
    if (problem.empty() && !out.commit())
        problem = out.error();
    // Named within the folder, which the caller names.
    return problem.empty() ? problem : path.substr(folder.size() + 1) + ": " + problem;
}

std::string FrameFolderWriter::finish() {
    std::vector<std::string>
        stale; // removed once read: a folder read while it changes may skip names
    forEachFrameFile(folder, [&](int, const char* name, std::uint32_t number) {
        if (number > frameIndex)
            stale.emplace_back(name);
    });
    for (const std::string& name : stale)
        if (::unlink((folder + "/" + name).c_str()) != 0 && errno != ENOENT)
            return name + ": cannot remove this frame of an earlier run: " + std::strerror(errno);
    return {};
}

} // namespace Vextal
