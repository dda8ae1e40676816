#pragma once

#include "input/WindowSystem.h"

#include <map>
#include <vector>

namespace VextalTest {

// What the window procedure asks of a window system, kept in memory: the
// record slots, the quit requests and the messages left to default
// processing. Base is WindowSystem, or an interface that extends it.
template <class Base> class ScriptedWindowSystemOf : public Base {
public:
    static constexpr Vextal::LResult defaultResult = 77;

    std::map<void*, Vextal::GLWindow*> records;
    std::vector<void*> quitPostedTo;
    std::vector<std::uint32_t> defaulted;

    void setWindowRecord(void* hwnd, Vextal::GLWindow* record) override { records[hwnd] = record; }
    Vextal::GLWindow* windowRecord(void* hwnd) override {
        const auto found = records.find(hwnd);
        return found == records.end() ? nullptr : found->second;
    }
    void postQuit(void* hwnd) override { quitPostedTo.push_back(hwnd); }
    Vextal::LResult defaultProcessing(void*, std::uint32_t message, Vextal::WParam,
                                      Vextal::LParam) override {
        defaulted.push_back(message);
        return defaultResult;
    }
};

using ScriptedWindowSystem = ScriptedWindowSystemOf<Vextal::WindowSystem>;

} // namespace VextalTest
