#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace VextalTest {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vextal-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        root = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(std::string_view name) const { return (root / name).string(); }

    // Writes the bytes as they are (no newline translation) and returns the path.
    std::string write(std::string_view name, std::string_view content) const {
        const std::string file = path(name);
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

private:
    std::filesystem::path root;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace VextalTest
