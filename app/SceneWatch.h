#pragma once

#include "app/PathWalk.h"

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Vextal {

// Tells when the scene file at a path has been saved, without reading it or
// asking the file system again and again: the kernel reports (inotify, one
// descriptor for everything watched) every file closed after writing and
// every entry created, deleted or renamed in the folders the path passes
// through. So a save in place, a save that writes another file and renames it
// over, a file that appears after the viewer started, a folder on the way
// renamed, deleted and made again, a symbolic link (or a chain of them)
// re-pointed or its target saved, and the file saved in place through another
// of its hard links are all seen. After any of those but a plain save the
// path is walked again and its folders watched anew.
//
// When the kernel's event queue overflowed (the process stopped, or not
// asking, while thousands of files changed beside the scene), some events are
// lost: the file's identity and times are compared with those last seen, and
// a change counts as a save.
class SceneWatch {
public:
    explicit SceneWatch(const std::string& path);
    ~SceneWatch();
    SceneWatch(const SceneWatch&) = delete;
    SceneWatch& operator=(const SceneWatch&) = delete;

    // False, with error() saying why, when nothing can be watched.
    // error() also says so when a folder on the way cannot be watched (no
    // permission, no watches left): that one is looked at on a timer.
    bool watching() const { return fd >= 0; }
    const std::string& error() const { return message; }
    // The inotify descriptor that every watch reports on, for a loop that
    // sleeps until it is readable (then asks saved()); -1 when not watching.
    int descriptor() const { return fd; }

    // How many milliseconds a sleeping loop may wait before asking saved()
    // again though the descriptor stayed quiet: while a folder on the way
    // cannot be watched, the path is looked at again on a timer. -1: no need,
    // the descriptor tells everything.
    int retryMilliseconds() const;

    // True once for each batch of saves since the last call; never blocks.
    bool saved();

private:
    using Clock = std::chrono::steady_clock;

    // What identifies the file's content on disk, as far as stat tells.
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modified = 0; // nanoseconds
        long long changed = 0;
        bool operator==(const Identity&) const = default;
    };
    // What a watch descriptor stands for.
    struct Watched {
        std::set<std::string> names; // entries of the folder on the way to the file
        std::string fileName;        // of those, the file's own name (the last lookup)
        bool isFile = false;         // the file itself: a save through any of its names
    };
    struct Events {
        bool save = false;    // a file on the way closed after writing
        bool rewalk = false;  // the way to the file may have changed
        bool compare = false; // and a save may hide behind it
    };

    bool follow();
    void read(Events& events);
    Identity identify() const;

    int fd = -1;
    std::string path;
    std::string message;
    std::map<int, Watched> watches;
    std::vector<PathLookup> way; // the lookups of the last walk
    Identity identity;
    std::optional<Clock::time_point> retryAt; // set while a folder could not be watched
};

} // namespace Vextal
