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

bool OffscreenContext::create(int width, int height) {
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

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colourBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return fail("cannot make an offscreen framebuffer of that size");
    pixelsWide = width;
    pixelsHigh = height;
    glViewport(0, 0, width, height);
    return true;
}

std::vector<std::uint8_t> OffscreenContext::readPixels() const {
    return readPixelsTopDown(pixelsWide, pixelsHigh);
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
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
    // The display is left initialised: EGL shares one per platform in the
    // process, and terminating it would take other contexts down with it.
    framebuffer = colourBuffer = depthBuffer = 0;
    context = nullptr;
    display = nullptr;
    pixelsWide = pixelsHigh = 0;
}

} // namespace Vextal
