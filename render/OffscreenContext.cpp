#include "render/OffscreenContext.h"

#include "render/ReadPixels.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace Vextal {

namespace {

EGLDisplay surfacelessDisplay() {
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

} // namespace

OffscreenContext::~OffscreenContext() {
    destroy();
}

bool OffscreenContext::fail(const std::string& what) {
    message = what;
    destroy();
    return false;
}

SamplePlan planSamples(int wanted, int maxMultisamples) {
    SamplePlan plan;
    if (wanted <= 1)
        return plan;
    if (maxMultisamples >= 2)
        plan.multisamples = wanted < maxMultisamples ? wanted : maxMultisamples;
    while (plan.multisamples * plan.scale * plan.scale < wanted)
        ++plan.scale;
    return plan;
}

bool OffscreenContext::create(int width, int height, const OffscreenSamples& samples) {
    destroy();
    if (width <= 0 || height <= 0)
        return fail("the picture needs a positive size");
    EGLDisplay eglDisplay = surfacelessDisplay();
    if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, nullptr, nullptr))
        return fail("no EGL display without a window system (is Mesa's EGL installed?)");
    display = eglDisplay;
    if (!eglBindAPI(EGL_OPENGL_API))
        return fail("EGL offers no desktop OpenGL");
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext eglContext =
        eglCreateContext(eglDisplay, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttributes);
    if (eglContext == EGL_NO_CONTEXT)
        return fail("cannot create an OpenGL compatibility context");
    context = eglContext;
    if (!eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext))
        return fail("cannot make the OpenGL context current");

    GLint maxMultisamples = 0;
    if (samples.multisample)
        glGetIntegerv(GL_MAX_SAMPLES, &maxMultisamples);
    samplePlan = planSamples(samples.samples, maxMultisamples);
    pixelsWide = width;
    pixelsHigh = height;
    if (!makeFramebuffers())
        return fail("cannot make an offscreen framebuffer of that size");
    glViewport(0, 0, drawWidth(), drawHeight());
    return true;
}

namespace {

// A renderbuffer of the given format, multisampled when samples > 1.
GLuint makeRenderbuffer(GLenum format, int samples, int width, int height) {
    GLuint buffer = 0;
    glGenRenderbuffers(1, &buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffer);
    if (samples > 1)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    return buffer;
}

// Width and height beyond what the implementation can draw fail here rather
// than in the driver.
bool fitsRenderbuffer(int width, int height) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSide);
    return width <= maxSide && height <= maxSide;
}

} // namespace

// The drawing framebuffer stays bound: everything drawn goes there.
bool OffscreenContext::makeFramebuffers() {
    const int wide = drawWidth();
    const int high = drawHeight();
    if (!fitsRenderbuffer(wide, high))
        return false;
    if (samplePlan.multisamples > 1) {
        glGenFramebuffers(1, &resolveFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer);
        resolveBuffer = makeRenderbuffer(GL_RGBA8, 1, wide, high);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  resolveBuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            return false;
    }
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    colourBuffer = makeRenderbuffer(GL_RGBA8, samplePlan.multisamples, wide, high);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    depthBuffer = makeRenderbuffer(GL_DEPTH_COMPONENT24, samplePlan.multisamples, wide, high);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

namespace {

// Each scale x scale block of a picture averaged (rounded) into one pixel of
// the result, whose size is the picture's divided by scale.
std::vector<std::uint8_t> averageBlocks(const std::vector<std::uint8_t>& drawn, int drawnWide,
                                        int scale, int wide, int high) {
    std::vector<std::uint8_t> picture(std::size_t(wide) * std::size_t(high) * 4);
    const unsigned blockArea = unsigned(scale * scale);
    for (int row = 0; row < high; ++row) {
        std::uint8_t* out = &picture[std::size_t(row) * std::size_t(wide) * 4];
        for (int column = 0; column < wide; ++column) {
            unsigned sum[4] = {};
            for (int dy = 0; dy < scale; ++dy) {
                const std::size_t drawnRow = std::size_t(row * scale + dy);
                const std::uint8_t* in =
                    &drawn[(drawnRow * std::size_t(drawnWide) + std::size_t(column * scale)) * 4];
                for (int k = 0; k < scale * 4; ++k)
                    sum[k % 4] += in[k];
            }
            for (int channel = 0; channel < 4; ++channel)
                out[column * 4 + channel] =
                    std::uint8_t((sum[channel] + blockArea / 2) / blockArea);
        }
    }
    return picture;
}

} // namespace

// The multisamples are resolved into a plain framebuffer to be read.
std::vector<std::uint8_t> OffscreenContext::readPixels() const {
    const int wide = drawWidth();
    const int high = drawHeight();
    if (resolveFramebuffer) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
        glBlitFramebuffer(0, 0, wide, high, 0, 0, wide, high, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer);
    }
    std::vector<std::uint8_t> drawn = readPixelsTopDown(wide, high);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (samplePlan.scale > 1)
        return averageBlocks(drawn, wide, samplePlan.scale, pixelsWide, pixelsHigh);
    return drawn;
}

unsigned OffscreenContext::takeError() const {
    return glGetError();
}

void OffscreenContext::destroy() {
    if (context) {
        if (framebuffer) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &framebuffer);
            glDeleteRenderbuffers(1, &colourBuffer);
            glDeleteRenderbuffers(1, &depthBuffer);
        }
        if (resolveFramebuffer) {
            glDeleteFramebuffers(1, &resolveFramebuffer);
            glDeleteRenderbuffers(1, &resolveBuffer);
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
    // The display is left initialised: EGL shares one per platform in the
    // process, and terminating it would take other contexts down with it.
    framebuffer = colourBuffer = depthBuffer = 0;
    resolveFramebuffer = resolveBuffer = 0;
    samplePlan = {};
    context = nullptr;
    display = nullptr;
    pixelsWide = pixelsHigh = 0;
}

} // namespace Vextal
