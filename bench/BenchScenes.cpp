#include "BenchScenes.h"

#include "scene/SceneFileMemory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

namespace VextalBench {

namespace {

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vextal-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

} // namespace

const char* surfaceName(Surface surface) {
    switch (surface) {
    case Surface::spheric:
        return "spheric";
    case Surface::toric:
        return "toric";
    case Surface::harmonic:
        return "harmonic";
    }
    return "?";
}

std::string sceneText(Surface surface, int grid) {
    const std::string counts =
        "slice " + std::to_string(grid) + " rotate " + std::to_string(grid) + "\n";
    switch (surface) {
    case Surface::spheric: // a starfish, as examples/starfish.vextal at its first size
        return "\"sss\n" + counts + "coef1 2 7 7 5 1 1\ncoef2 2 2 2 4 1 0.3\nrender\n";
    case Surface::toric: // a star-section ring, as examples/star-ring-torus.vextal, closed
        return "\"tss\n" + counts +
               "thetarange -3.14159265 3.14159265\ncoef1 2 7 7 5 1 1\n"
               "coef2 1 1 1 0 0.25 0.25\nrender\n";
    case Surface::harmonic: // lobes, as examples/harmonic-lobes.vextal had them
        return "\"sh\n" + counts + "thetarange 0 3.14159265\ncoefh 4 2 3 2 2 2 6 2\nrender\n";
    }
    return "";
}

std::string sceneFile(Surface surface, int grid) {
    static TemporaryFolder folder;
    const std::filesystem::path file =
        folder.path / (std::string(surfaceName(surface)) + "-" + std::to_string(grid) + ".txt");
    if (!std::filesystem::exists(file))
        std::ofstream(file, std::ios::binary) << sceneText(surface, grid);
    return file.string();
}

void waitUntilSettled(const std::string& path) {
    constexpr auto settled =
        Vextal::SceneFileMemory::defaultSettleTime + std::chrono::milliseconds(200);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return;
    const auto changedAt = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_ctim.tv_sec) +
            std::chrono::nanoseconds(status.st_ctim.tv_nsec)));
    std::this_thread::sleep_until(changedAt + settled);
}

} // namespace VextalBench
