#pragma once

#include "scene/SceneFile.h"

#include <chrono>
#include <string>
#include <string_view>

namespace Vextal {

// The bytes of the scene file that a load last read whole, so that loading
// the same, unchanged file again (the viewer does it every frame while R is
// held) costs one stat() instead of open, fstat, read, close and a second
// fstat. On a virtual machine each of those system calls takes about a
// microsecond, more than tessellating the default grid.
//
// The bytes are given back only when no change can have gone unseen:
// - the path names the same file (device and inode) with the same size,
//   modification and status-change times as when it was read;
// - the file had last changed at least settleTime before it was opened, so
//   any later save stamps it with a later status-change time, even on file
//   systems that keep times to a second or two;
// - it was read at most refreshAfter ago: a clock set back, or a network
//   file system's cached attributes, can hide a save for no longer.
// Otherwise the load reads the file again, exactly as without this memory.
class SceneFileMemory {
public:
    static constexpr std::chrono::seconds defaultSettleTime{2};
    static constexpr std::chrono::seconds defaultRefreshAfter{1};

    explicit SceneFileMemory(std::chrono::nanoseconds settleTime = defaultSettleTime,
                             std::chrono::nanoseconds refreshAfter = defaultRefreshAfter);

    // The remembered bytes, when `path` provably still holds them; else null.
    const std::string* recall(const char* path);

    // Keeps the whole content of `file` as read from `path`, if it had
    // settled; otherwise forgets what it held.
    void remember(const char* path, const SceneFileHandle& file, std::string_view bytes);

    void forget();

private:
    std::chrono::nanoseconds settleTime;
    std::chrono::nanoseconds refreshAfter;
    bool holding = false;
    std::string path;
    SceneFileIdentity identity;
    std::chrono::steady_clock::time_point readAt;
    std::string bytes;
};

} // namespace Vextal
