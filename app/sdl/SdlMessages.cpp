#include "app/sdl/SdlMessages.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <cmath>

namespace Vextal {

namespace {

// SDL key codes to the virtual-key codes the viewer uses; 0 for keys it has
// no code for (they reach no one).
std::uint32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return VK_A + std::uint32_t(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return VK_0 + std::uint32_t(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + std::uint32_t(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + std::uint32_t(key - SDLK_KP_1);
    switch (key) {
    case SDLK_KP_0:
        return VK_NUMPAD0;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
        return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    default:
        return 0;
    }
}

// Alt itself, F10 and keys pressed while Alt is held are system keys, which
// never reach the key table. Releases are ordinary key-ups (except Alt and
// F10), so a key let go after Alt cannot stay held.
std::uint32_t keyMessage(const SDL_KeyboardEvent& key, std::uint32_t code) {
    const bool pressed = key.type == SDL_KEYDOWN;
    const bool systemKey = code == VK_MENU || code == VK_F10;
    if (systemKey || (pressed && (key.keysym.mod & KMOD_ALT)))
        return pressed ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    return pressed ? WM_KEYDOWN : WM_KEYUP;
}

std::uint32_t keyFlags(std::uint32_t buttons) {
    std::uint32_t flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    const SDL_Keymod modifiers = SDL_GetModState();
    if (modifiers & KMOD_CTRL)
        flags |= MK_CONTROL;
    if (modifiers & KMOD_SHIFT)
        flags |= MK_SHIFT;
    return flags;
}

// Window units to drawable pixels (they differ on high-DPI screens).
LParam pointerPosition(SDL_Window* window, int x, int y) {
    int windowWidth = 0, windowHeight = 0, pixelWidth = 0, pixelHeight = 0;
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    SDL_GL_GetDrawableSize(window, &pixelWidth, &pixelHeight);
    if (windowWidth > 0 && pixelWidth != windowWidth)
        x = int(std::lround(double(x) * pixelWidth / windowWidth));
    if (windowHeight > 0 && pixelHeight != windowHeight)
        y = int(std::lround(double(y) * pixelHeight / windowHeight));
    return makeLParam(x, y);
}

LParam drawableSize(SDL_Window* window) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    return makeLParam(std::max(width, 0), std::max(height, 0));
}

bool windowMessage(const SDL_WindowEvent& event, SDL_Window* window, Message& message) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
        message.message = WM_SIZE;
        message.wParam =
            (SDL_GetWindowFlags(window) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        message.lParam = drawableSize(window);
        return true;
    case SDL_WINDOWEVENT_MAXIMIZED:
        message.message = WM_SIZE;
        message.wParam = SIZE_MAXIMIZED;
        message.lParam = drawableSize(window);
        return true;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        message.message = WM_SIZE;
        message.wParam = SIZE_MINIMIZED;
        message.lParam = 0;
        return true;
    case SDL_WINDOWEVENT_EXPOSED:
        message.message = WM_PAINT;
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        message.message = WM_CLOSE;
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        message.message = WM_KILLFOCUS;
        return true;
    default:
        return false;
    }
}

std::uint32_t buttonBit(std::uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return MK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return MK_MBUTTON;
    default:
        return 0;
    }
}

bool buttonMessage(const SDL_MouseButtonEvent& button, SDL_Window* window, HeldButtons& buttons,
                   Message& message) {
    const bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        message.message = pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case SDL_BUTTON_RIGHT:
        message.message = pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case SDL_BUTTON_MIDDLE:
        message.message = pressed ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    default:
        return false;
    }
    const std::uint32_t bit = buttonBit(button.button);
    if (pressed)
        buttons.press(bit);
    else
        buttons.release(bit);
    message.wParam = buttons.heldOnly(keyFlags(SDL_GetMouseState(nullptr, nullptr)));
    message.lParam = pointerPosition(window, button.x, button.y);
    return true;
}

// Of the given MK_* buttons, those whose release SDL has queued. Events that
// reached the process before this call are fetched first, so a release that
// came before the window system's last answer is found.
std::uint32_t releasesQueued(std::uint32_t buttons) {
    SDL_PumpEvents();
    SDL_Event queued[64];
    const int count =
        SDL_PeepEvents(queued, 64, SDL_PEEKEVENT, SDL_MOUSEBUTTONUP, SDL_MOUSEBUTTONUP);
    std::uint32_t found = 0;
    for (int i = 0; i < count; ++i)
        found |= buttonBit(queued[i].button.button);
    return buttons & found;
}

// SDL counts buttons from its own window's events; once a release has gone to
// another window its count is stale, and only the window system itself can
// tell what is really held.
bool motionMessage(const SDL_MouseMotionEvent& motion, SDL_Window* window, HeldButtons& buttons,
                   Message& message) {
    const ButtonQueries ask{[] { return keyFlags(SDL_GetGlobalMouseState(nullptr, nullptr)); },
                            releasesQueued};
    const PointerMove move = buttons.pointerMoved(keyFlags(motion.state), ask);
    message.message = move.message;
    message.wParam = move.flags;
    message.lParam = pointerPosition(window, motion.x, motion.y);
    return true;
}

// WHEEL_DELTA per notch, positive away from the user; fractional wheels give
// fractions of it, and a flipped wheel is turned back.
bool wheelMessage(const SDL_MouseWheelEvent& wheel, SDL_Window* window, const HeldButtons& buttons,
                  Message& message) {
    double notches = wheel.preciseY;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    const double delta = std::clamp(std::round(notches * WHEEL_DELTA), -32768.0, 32767.0);
    if (delta == 0)
        return false;
    int x = 0, y = 0;
    const std::uint32_t pressed = SDL_GetMouseState(&x, &y);
    message.message = WM_MOUSEWHEEL;
    message.wParam = makeWheelWParam(std::int32_t(delta), buttons.heldOnly(keyFlags(pressed)));
    message.lParam = pointerPosition(window, x, y);
    return true;
}

// The window system's word that a window is gone. SDL makes no event of it,
// so a window destroyed by another client would leave the viewer running
// without one.
bool destroyedFromOutside(const SDL_SysWMmsg* system, SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!system || system->subsystem != SDL_SYSWM_X11 ||
        system->msg.x11.event.type != DestroyNotify)
        return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 &&
           info.info.x11.window == system->msg.x11.event.xdestroywindow.window;
#else
    return false;
#endif
}

} // namespace

bool translateEvent(const SDL_Event& event, SDL_Window* window, std::uint32_t quitEventType,
                    HeldButtons& buttons, Message& message) {
    const std::uint32_t ourWindow = SDL_GetWindowID(window);
    message = Message{window};
    if (event.type == quitEventType) {
        if (event.user.windowID != ourWindow)
            return false;
        message.message = WM_QUIT;
        return true;
    }
    switch (event.type) {
    case SDL_QUIT: // the window manager's or a signal's request to end
        message.message = WM_CLOSE;
        return true;
    case SDL_SYSWMEVENT:
        message.message = WM_CLOSE;
        return destroyedFromOutside(event.syswm.msg, window);
    case SDL_WINDOWEVENT:
        return event.window.windowID == ourWindow && windowMessage(event.window, window, message);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const std::uint32_t code = virtualKey(event.key.keysym.sym);
        if (event.key.windowID != ourWindow || code == 0)
            return false;
        message.message = keyMessage(event.key, code);
        message.wParam = code;
        return true;
    }
    case SDL_MOUSEMOTION:
        return event.motion.windowID == ourWindow &&
               motionMessage(event.motion, window, buttons, message);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID == ourWindow &&
               buttonMessage(event.button, window, buttons, message);
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID == ourWindow &&
               wheelMessage(event.wheel, window, buttons, message);
    default:
        return false;
    }
}

} // namespace Vextal
