#include "input/HeldButtons.h"

#include "input/WindowMessages.h"

namespace Vextal {

namespace {

constexpr std::uint32_t buttonBits = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

std::uint32_t lowestBit(std::uint32_t bits) {
    return bits & (~bits + 1);
}

std::uint32_t pressMessage(std::uint32_t button) {
    switch (button) {
    case MK_LBUTTON:
        return WM_LBUTTONDOWN;
    case MK_RBUTTON:
        return WM_RBUTTONDOWN;
    default:
        return WM_MBUTTONDOWN;
    }
}

} // namespace

void HeldButtons::press(std::uint32_t button) {
    held |= button & buttonBits;
}

void HeldButtons::release(std::uint32_t button) {
    held &= ~(button & buttonBits);
}

std::uint32_t HeldButtons::heldOnly(std::uint32_t flags) const {
    return flags & (held | ~buttonBits);
}

PointerMove HeldButtons::pointerMoved(std::uint32_t reported, const ButtonQueries& ask) {
    const std::uint32_t buttons = reported & buttonBits;
    if (buttons != 0) {
        const std::uint32_t actual = ask.heldNow() & buttonBits;
        // A move handled after its button came up is still part of the drag
        // when the release is queued behind it.
        std::uint32_t letGoUnseen = buttons & held & ~actual;
        if (letGoUnseen != 0)
            letGoUnseen &= ~ask.releasesQueued(letGoUnseen);
        release(letGoUnseen);
        const std::uint32_t missed = lowestBit(buttons & ~held & actual);
        if (missed != 0) {
            press(missed);
            return {pressMessage(missed), heldOnly(reported)};
        }
    }
    return {WM_MOUSEMOVE, heldOnly(reported)};
}

} // namespace Vextal
