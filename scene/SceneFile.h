#pragma once

namespace Vextal {

// What tells one version of a file from another without reading it. The
// status-change time moves on every write, rename or chmod, and unlike the
// modification time no program can set it back.
struct SceneFileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;       // bytes
    long long modifiedAt = 0; // ns
    long long changedAt = 0;  // status-change time, in ns

    bool operator==(const SceneFileIdentity&) const = default;
};

// A scene file opened for reading, or the reason it could not be.
struct SceneFileHandle {
    int fd = -1;
    int errorNumber = 0;        // errno of the failed open
    bool notRegular = false;    // a FIFO, device, socket or directory
    SceneFileIdentity identity; // the file as it was when opened
    long long openedAt = 0;     // the coarse real-time clock just before opening, in ns
};

// Opens a scene file for reading without ever blocking: a FIFO, a directory
// or a device in its place is refused at once. Nothing is locked, so an editor
// can save the file while it is open.
SceneFileHandle openSceneFile(const char* path);

// True when the open file is no longer as it was opened: an editor saved it
// in place meanwhile, and what was read may be parts of two versions (even a
// single read() can be torn by a concurrent rewrite). Its size or its
// modification time differs; kernels with fine-grained file times tell every
// save apart, older ones those more than a clock tick apart. A file replaced
// by rename is unchanged: the open descriptor still reads the old version.
bool sceneFileChangedSinceOpened(const SceneFileHandle& file);

// True when `path` still names a regular file with this identity: one stat().
bool sceneFileStillIs(const char* path, const SceneFileIdentity& identity);

} // namespace Vextal
