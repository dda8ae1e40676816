#include "app/sdl/X11Errors.h"

#include <gtest/gtest.h>

// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers use as names.
#include <X11/Xlib.h>

namespace Vextal {
namespace {

int passedOn = 0;

int countingHandler(Display*, XErrorEvent*) {
    ++passedOn;
    return 0;
}

// Installs the tolerant handler over countingHandler and takes it back out,
// leaving Xlib's default in place; no display is needed to call it.
XErrorHandler tolerantHandler() {
    XSetErrorHandler(countingHandler);
    tolerateVanishedWindows();
    return XSetErrorHandler(nullptr);
}

XErrorEvent errorOf(unsigned char code) {
    XErrorEvent error{};
    error.type = 0; // X_Error
    error.error_code = code;
    error.request_code = 40; // X_TranslateCoords
    return error;
}

TEST(X11ErrorsTest, errorAboutAVanishedWindowIsIgnored) {
    const XErrorHandler handler = tolerantHandler();
    ASSERT_NE(handler, nullptr);
    ASSERT_NE(handler, countingHandler);
    passedOn = 0;
    XErrorEvent error = errorOf(BadWindow);
    EXPECT_EQ(handler(nullptr, &error), 0);
    EXPECT_EQ(passedOn, 0);
}

TEST(X11ErrorsTest, everyOtherErrorGoesToTheHandlerBefore) {
    const XErrorHandler handler = tolerantHandler();
    passedOn = 0;
    for (unsigned char code : {BadRequest, BadValue, BadMatch, BadDrawable, BadAlloc}) {
        XErrorEvent error = errorOf(code);
        handler(nullptr, &error);
    }
    EXPECT_EQ(passedOn, 5);
}

TEST(X11ErrorsTest, installingTwiceKeepsTheHandlerBefore) {
    XSetErrorHandler(countingHandler);
    tolerateVanishedWindows();
    tolerateVanishedWindows();
    const XErrorHandler handler = XSetErrorHandler(nullptr);
    passedOn = 0;
    XErrorEvent error = errorOf(BadAlloc);
    handler(nullptr, &error);
    EXPECT_EQ(passedOn, 1); // not a loop through itself
}

} // namespace
} // namespace Vextal
