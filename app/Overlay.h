#pragma once

#include <cstdint>

namespace Vextal {

// What the viewer draws over its views and tells of the scene file, when it
// has one (the scene panel, --panel); without one none of this runs.
class Overlay {
public:
    virtual ~Overlay() = default;

    // The scene file was read: at start, and in every frame while R is held.
    virtual void sceneFileRead() = 0;
    // A save of the watched scene file was seen (--watch); the overlay
    // decides whether it is loaded.
    virtual void sceneFileSaved() = 0;
    // The width in pixels the overlay covers at the window's left, which the
    // views are drawn beside (0: they take the whole window).
    virtual std::uint32_t viewsLeftEdge() const = 0;
    // True while the overlay has something new to show, or changed the mesh.
    virtual bool wantsFrame() = 0;
    // After a frame's views are drawn, before the swap; the last drawn frame
    // took lastFrameMilliseconds.
    virtual void drawOver(std::uint32_t lastFrameMilliseconds) = 0;
};

} // namespace Vextal
