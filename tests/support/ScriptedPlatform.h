#pragma once

#include "app/Platform.h"
#include "input/WindowProc.h"
#include "support/ScriptedWindowSystem.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace VextalTest {

// A window system that exists only in memory: it hands out distinct handles,
// can be told to fail at any one step of window creation, plays a script of
// messages, and keeps a log of everything it was asked to do, so tests can
// check that whatever was made was also released.
class ScriptedPlatform : public ScriptedWindowSystemOf<Vextal::Platform> {
public:
    enum class Step {
        none,
        registerClass,
        createWindow,
        getDeviceContext,
        choosePixelFormat,
        setPixelFormat,
        createContext,
        makeCurrent
    };
    Step failAt = Step::none;

    // Messages the pump takes, in order; when none is left, onIdle runs
    // before the pump is told nothing is waiting.
    std::deque<Vextal::Message> queue;
    std::function<void()> onIdle;

    std::vector<std::string> log;
    std::vector<std::string> messageBoxes;
    int liveWindows = 0, liveSurfaces = 0, liveContexts = 0, currentContexts = 0;
    int frames = 0;
    std::uint32_t now = 1000;
    void postQuit(void* hwnd) override {
        ScriptedWindowSystemOf::postQuit(hwnd);
        queue.push_back({hwnd, Vextal::WM_QUIT, 0, 0});
    }

    bool registerClass(const Vextal::Application&) override {
        return step(Step::registerClass, "register");
    }
    void unregisterClass(const Vextal::Application&) override { log.push_back("unregister"); }
    void* createWindow(const Vextal::Application&, const char* title, int width, int height,
                       Vextal::GLWindow* record,
                       const Vextal::PixelFormatRequest& request) override;
    void destroyWindow(void* hwnd) override {
        log.push_back("destroyWindow");
        records.erase(hwnd);
        --liveWindows;
    }
    void* getDeviceContext(void* hwnd) override {
        if (!step(Step::getDeviceContext, "getDeviceContext"))
            return nullptr;
        ++liveSurfaces;
        return static_cast<char*>(hwnd) + 1;
    }
    void releaseDeviceContext(void*, void*) override {
        log.push_back("releaseDeviceContext");
        --liveSurfaces;
    }
    int choosePixelFormat(void*, const Vextal::PixelFormatRequest&) override {
        return step(Step::choosePixelFormat, "choosePixelFormat") ? 7 : 0;
    }
    bool setPixelFormat(void*, int format, const Vextal::PixelFormatRequest&) override {
        return format == 7 && step(Step::setPixelFormat, "setPixelFormat");
    }
    void* createContext(void*) override {
        if (!step(Step::createContext, "createContext"))
            return nullptr;
        ++liveContexts;
        return &contextStorage[liveContexts & 1];
    }
    bool makeCurrent(void*, void* context) override {
        if (context == nullptr) {
            log.push_back("detachContext");
            currentContexts = 0;
            return true;
        }
        if (!step(Step::makeCurrent, "makeCurrent"))
            return false;
        currentContexts = 1;
        return true;
    }
    void deleteContext(void*) override {
        log.push_back("deleteContext");
        --liveContexts;
    }
    void showWindow(void*) override { log.push_back("showWindow"); }
    void swapBuffers(void*) override { ++frames; }
    bool peekMessage(void*, Vextal::Message& message) override {
        if (queue.empty() && onIdle)
            onIdle();
        if (queue.empty())
            return false;
        message = queue.front();
        queue.pop_front();
        return true;
    }
    // A wait with nothing scripted ends with an exposure, as when the window
    // system asks for the window to be drawn again, so that a script counting
    // frames goes on; waitsExpose = false leaves the queue as it is.
    void waitMessage(int, int) override {
        log.push_back("waitMessage");
        now += waitLasts;
        if (queue.empty() && waitsExpose && lastWindow)
            queue.push_back({lastWindow, Vextal::WM_PAINT, 0, 0});
    }
    bool waitsExpose = true;
    std::uint32_t waitLasts = 0; // milliseconds each wait adds to the tick
    std::uint32_t ticks() override { return now; }
    void messageBox(const char* text, const char* caption) override {
        messageBoxes.push_back(std::string(caption) + ": " + text);
    }

    void* lastWindow = nullptr;
    // The pixel format the last window was made for.
    Vextal::PixelFormatRequest requested{};

private:
    bool step(Step which, const char* name) {
        log.push_back(name);
        return failAt != which;
    }
    char windowStorage[4][8] = {};
    int windowsMade = 0;
    int contextStorage[2] = {};
};

inline void* ScriptedPlatform::createWindow(const Vextal::Application&, const char*, int, int,
                                            Vextal::GLWindow* record,
                                            const Vextal::PixelFormatRequest& request) {
    requested = request;
    if (!step(Step::createWindow, "createWindow"))
        return nullptr;
    ++liveWindows;
    void* hwnd = windowStorage[windowsMade++ % 4];
    lastWindow = hwnd;
    Vextal::CreateStruct creation{record};
    Vextal::windowProc(hwnd, Vextal::WM_CREATE, 0, reinterpret_cast<Vextal::LParam>(&creation));
    return hwnd;
}

} // namespace VextalTest
