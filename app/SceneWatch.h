#pragma once

#include <string>

namespace Vextal {

// Tells when a scene file has been saved, without reading it or asking the
// file system again and again: the kernel reports every file closed after
// writing and every file renamed into the file's folder (inotify), and only
// those that carry the file's name count. So a save in place, a save that
// writes another file and renames it over, and a file that appears after the
// viewer started are all seen.
class SceneWatch {
public:
    // Watches the folder of `path` (the working directory for a bare name).
    explicit SceneWatch(const std::string& path);
    ~SceneWatch();
    SceneWatch(const SceneWatch&) = delete;
    SceneWatch& operator=(const SceneWatch&) = delete;

    // False, with error() saying why, when the folder cannot be watched.
    bool watching() const { return fd >= 0; }
    const std::string& error() const { return message; }
    // What becomes readable when a save may have happened; -1 when not watching.
    int descriptor() const { return fd; }

    // True once for each batch of saves since the last call; never blocks.
    bool saved();

private:
    int fd = -1;
    std::string name; // the file's name within its folder
    std::string message;
};

} // namespace Vextal
