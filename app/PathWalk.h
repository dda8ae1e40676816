#pragma once

#include <string>
#include <vector>

namespace Vextal {

// One name looked up in one folder on the way from a path to its file.
struct PathLookup {
    std::string folder; // a path to the folder with no symbolic link in it ("." or "/" first)
    std::string name;
    bool operator==(const PathLookup&) const = default;
};

// The lookups the kernel makes to open a path, symbolic links followed as it
// follows them: what a folder watch has to see change for the path to lead
// somewhere else. Whatever happens to a folder on the way, to a link or to
// the file shows as an entry created, deleted or renamed under one of these
// names in one of these folders.
struct PathWalk {
    std::vector<PathLookup> lookups; // in order; the last names the file, or the first missing part
    bool reachesFile = false;        // the last lookup found the file (not a folder, not a loop)
    bool reachesLastPart = false;    // the last lookup is of the path's last part, found or not
    std::string file;                // the last lookup's folder and name: the file, link-free
    bool complete = true;            // false when a lookup failed for another reason than absence
};

// Walks `path` (relative paths from the working directory) as far as it
// exists, following at most 40 symbolic links as the kernel does.
PathWalk walkPath(const std::string& path);

} // namespace Vextal
