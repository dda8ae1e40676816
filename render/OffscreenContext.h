#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vextal {

// An OpenGL compatibility context made current on the calling thread with no
// window system at all (EGL on Mesa's surfaceless platform), drawing into a
// framebuffer object of the given size: RGBA8 colour and a 24-bit depth buffer.
class OffscreenContext {
public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext();

    // False, with error() saying why, when no such context can be had.
    bool create(int width, int height);

    int width() const { return pixelsWide; }
    int height() const { return pixelsHigh; }
    const std::string& error() const { return message; }

    // The colour buffer as RGBA bytes, top row first (as images are stored).
    std::vector<std::uint8_t> readPixels() const;

    // The OpenGL error raised first since the last call (glGetError), 0 for
    // none; outOfMemoryError when memory ran out (GL_OUT_OF_MEMORY).
    unsigned takeError() const;
    static constexpr unsigned outOfMemoryError = 0x0505;

private:
    bool fail(const std::string& what);
    void destroy();

    void* display = nullptr;
    void* context = nullptr;
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
    unsigned depthBuffer = 0;
    int pixelsWide = 0;
    int pixelsHigh = 0;
    std::string message;
};

} // namespace Vextal
