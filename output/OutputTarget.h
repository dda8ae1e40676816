#pragma once

#include <string>
#include <sys/stat.h>

namespace Vextal {

// What an output path leads to once its symbolic links are followed.
struct OutputTarget {
    enum class Kind {
        missing,        // nothing there yet: a new regular file is made
        regular,        // an existing regular file, replaced whole
        stream,         // a FIFO or a character device, written straight into
        standardOutput, // a link that leads to it, such as /dev/stdout
        refused,        // a folder, a block device, a socket, or a failed look-up
    };
    Kind kind = Kind::refused;
    std::string path;      // the name finally written: the last link's target
    std::string folder;    // the folder holding that name
    std::string name;      // the last component of path
    struct stat status {}; // of path, unless missing
    std::string problem;   // why it is refused
};

// Follows the links at path (chains, relative targets, a dangling last link)
// without touching anything, and says what the final name holds. "-" is not
// special here.
OutputTarget findOutputTarget(const std::string& path);

} // namespace Vextal
