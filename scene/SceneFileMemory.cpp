#include "scene/SceneFileMemory.h"

namespace Vextal {

SceneFileMemory::SceneFileMemory(std::chrono::nanoseconds settleTime,
                                 std::chrono::nanoseconds refreshAfter)
    : settleTime(settleTime), refreshAfter(refreshAfter) {}

const std::string* SceneFileMemory::recall(const char* candidate) {
    if (!holding || path != candidate)
        return nullptr;
    if (std::chrono::steady_clock::now() - readAt > refreshAfter ||
        !sceneFileStillIs(candidate, identity)) {
        forget();
        return nullptr;
    }
    return &bytes;
}

void SceneFileMemory::remember(const char* from, const SceneFileHandle& file,
                               std::string_view content) {
    // A save in the same clock tick as the last one, or within the file
    // system's time granularity, would carry the same times: only a file
    // that had been left alone for a while before it was opened is safe.
    if (file.identity.changedAt + settleTime.count() >= file.openedAt) {
        forget();
        return;
    }
    holding = true;
    path = from;
    identity = file.identity;
    readAt = std::chrono::steady_clock::now();
    bytes.assign(content);
}

void SceneFileMemory::forget() {
    holding = false;
    bytes.clear();
}

} // namespace Vextal
