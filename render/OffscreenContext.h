#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vextal {

// How an offscreen picture is anti-aliased: samples per pixel (1: none).
// Multisampling is used as far as the OpenGL implementation offers it; the
// rest is made up by supersampling (drawing larger and averaging blocks of
// pixels), which looks the same. multisample false supersamples only.
struct OffscreenSamples {
    int samples = 1;
    bool multisample = true;
};

// How the samples asked for are had: multisamples per drawn pixel, and the
// factor each side of the picture is drawn larger by. Their product
// multisamples * scale * scale is at least the samples asked for.
struct SamplePlan {
    int multisamples = 1;
    int scale = 1;
};

// The plan for `wanted` samples where multisampling offers up to
// maxMultisamples (0 or 1: none).
SamplePlan planSamples(int wanted, int maxMultisamples);

// An OpenGL compatibility context made current on the calling thread with no
// window system at all (EGL on Mesa's surfaceless platform), drawing into a
// framebuffer object: RGBA8 colour and a 24-bit depth buffer, multisampled
// and larger than the picture when anti-aliasing asks for it.
class OffscreenContext {
public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext();

    // False, with error() saying why, when no such context can be had.
    bool create(int width, int height, const OffscreenSamples& samples = {});

    // The picture's size, as readPixels() returns it.
    int width() const { return pixelsWide; }
    int height() const { return pixelsHigh; }
    // The framebuffer drawn into: the picture's size times plan().scale.
    // Viewports and line widths are to be scaled by it.
    int drawWidth() const { return pixelsWide * samplePlan.scale; }
    int drawHeight() const { return pixelsHigh * samplePlan.scale; }
    const SamplePlan& plan() const { return samplePlan; }
    const std::string& error() const { return message; }

    // The picture as RGBA bytes, top row first (as images are stored): the
    // multisamples resolved and each block of scale x scale pixels averaged.
    std::vector<std::uint8_t> readPixels() const;

    // The OpenGL error raised first since the last call (glGetError), 0 for
    // none; outOfMemoryError when memory ran out (GL_OUT_OF_MEMORY).
    unsigned takeError() const;
    static constexpr unsigned outOfMemoryError = 0x0505;

private:
    bool fail(const std::string& what);
    bool makeFramebuffers();
    void destroy();

    void* display = nullptr;
    void* context = nullptr;
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
    unsigned depthBuffer = 0;
    // Where the multisamples are resolved to before they are read; 0 without.
    unsigned resolveFramebuffer = 0;
    unsigned resolveBuffer = 0;
    int pixelsWide = 0;
    int pixelsHigh = 0;
    SamplePlan samplePlan;
    std::string message;
};

} // namespace Vextal
