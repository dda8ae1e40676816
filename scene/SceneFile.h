#pragma once

namespace Vextal {

// A scene file opened for reading, or the reason it could not be.
struct SceneFileHandle {
    int fd = -1;
    int errorNumber = 0;     // errno of the failed open
    bool notRegular = false; // a FIFO, device, socket or directory
};

// Opens a scene file for reading without ever blocking: a FIFO, a directory
// or a device in its place is refused at once. Nothing is locked, so an editor
// can save the file while it is open.
SceneFileHandle openSceneFile(const char* path);

} // namespace Vextal
