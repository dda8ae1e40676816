#pragma once

#include <cstdint>

namespace Vextal {

// The viewer's own window messages. The platform layer translates every event
// of the window system into one of these and hands it to windowProc; the core
// never sees anything else. Codes and parameter layouts follow the classic
// desktop message set, so one message reads the same everywhere.

using WParam = std::uintptr_t; // word parameter
using LParam = std::intptr_t;  // long parameter
using LResult = std::intptr_t; // result of the window procedure

// Message codes.
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;    // lParam points at a CreateStruct
inline constexpr std::uint32_t WM_SIZE = 0x0005;      // wParam SIZE_*, lParam width | height << 16
inline constexpr std::uint32_t WM_KILLFOCUS = 0x0008; // the window lost the keyboard focus
inline constexpr std::uint32_t WM_PAINT = 0x000F;     // what the window showed was lost: draw again
inline constexpr std::uint32_t WM_CLOSE = 0x0010;     // a request; does not destroy the window
inline constexpr std::uint32_t WM_QUIT = 0x0012;      // ends the message pump
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;   // wParam virtual-key code
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104; // F10, or any key while Alt is held
inline constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112; // wParam SC_*
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;  // wParam MK_*, lParam x | y << 16
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A; // wParam delta << 16 | MK_*

// Button and modifier bits in the word parameter of mouse messages.
inline constexpr std::uint32_t MK_LBUTTON = 0x0001;
inline constexpr std::uint32_t MK_RBUTTON = 0x0002;
inline constexpr std::uint32_t MK_SHIFT = 0x0004;
inline constexpr std::uint32_t MK_CONTROL = 0x0008;
inline constexpr std::uint32_t MK_MBUTTON = 0x0010;

// Word parameter of WM_SIZE.
inline constexpr std::uint32_t SIZE_RESTORED = 0;
inline constexpr std::uint32_t SIZE_MINIMIZED = 1;
inline constexpr std::uint32_t SIZE_MAXIMIZED = 2;

// Word parameter of WM_SYSCOMMAND.
inline constexpr std::uint32_t SC_SCREENSAVE = 0xF140;
inline constexpr std::uint32_t SC_MONITORPOWER = 0xF170;

// Wheel delta of one notch; positive away from the user.
inline constexpr std::int32_t WHEEL_DELTA = 120;

// Virtual-key codes, 0 to 255. A letter's code is its upper-case ASCII code
// ('A' 65 to 'Z' 90), a digit's its ASCII code ('0' 48 to '9' 57).
inline constexpr std::uint32_t VK_BACK = 0x08;
inline constexpr std::uint32_t VK_TAB = 0x09;
inline constexpr std::uint32_t VK_RETURN = 0x0D;
inline constexpr std::uint32_t VK_SHIFT = 0x10;
inline constexpr std::uint32_t VK_CONTROL = 0x11;
inline constexpr std::uint32_t VK_MENU = 0x12; // Alt
inline constexpr std::uint32_t VK_PAUSE = 0x13;
inline constexpr std::uint32_t VK_CAPITAL = 0x14;
inline constexpr std::uint32_t VK_ESCAPE = 0x1B;
inline constexpr std::uint32_t VK_SPACE = 0x20;
inline constexpr std::uint32_t VK_PRIOR = 0x21; // Page Up
inline constexpr std::uint32_t VK_NEXT = 0x22;  // Page Down
inline constexpr std::uint32_t VK_END = 0x23;
inline constexpr std::uint32_t VK_HOME = 0x24;
inline constexpr std::uint32_t VK_LEFT = 0x25;
inline constexpr std::uint32_t VK_UP = 0x26;
inline constexpr std::uint32_t VK_RIGHT = 0x27;
inline constexpr std::uint32_t VK_DOWN = 0x28;
inline constexpr std::uint32_t VK_INSERT = 0x2D;
inline constexpr std::uint32_t VK_DELETE = 0x2E;
inline constexpr std::uint32_t VK_0 = '0';
inline constexpr std::uint32_t VK_A = 'A';
inline constexpr std::uint32_t VK_C = 'C';
inline constexpr std::uint32_t VK_E = 'E';
inline constexpr std::uint32_t VK_F = 'F';
inline constexpr std::uint32_t VK_N = 'N';
inline constexpr std::uint32_t VK_P = 'P';
inline constexpr std::uint32_t VK_R = 'R';
inline constexpr std::uint32_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint32_t VK_F1 = 0x70;
inline constexpr std::uint32_t VK_F10 = 0x79;

// What the long parameter of WM_CREATE points at: the window's creation
// parameter, the GLWindow record the window procedure keeps from then on.
struct CreateStruct {
    void* createParams;
};

// Bits 0-15 and 16-31 of a parameter, unsigned.
constexpr std::uint32_t lowWord(std::uintptr_t value) {
    return value & 0xFFFFu;
}
constexpr std::uint32_t highWord(std::uintptr_t value) {
    return (value >> 16) & 0xFFFFu;
}

// low in bits 0-15, high in bits 16-31; each is cut to its lower 16 bits, so
// negative values travel as their 16-bit two's complement.
constexpr LParam makeLParam(std::int32_t low, std::int32_t high) {
    return LParam((std::uint32_t(high) & 0xFFFFu) << 16 | (std::uint32_t(low) & 0xFFFFu));
}
constexpr WParam makeWParam(std::uint32_t low, std::uint32_t high) {
    return WParam((high & 0xFFFFu) << 16 | (low & 0xFFFFu));
}

// Pointer position in client pixels (origin top left, y downward). Signed: a
// drag past the left or top edge reports small negative values, which must not
// read as 65535.
constexpr std::int32_t pointerX(LParam lParam) {
    return std::int16_t(lowWord(WParam(lParam)));
}
constexpr std::int32_t pointerY(LParam lParam) {
    return std::int16_t(highWord(WParam(lParam)));
}

// Word parameter of WM_MOUSEWHEEL: the signed delta (WHEEL_DELTA per notch) in
// the upper 16 bits, the MK_* bits in the lower.
constexpr WParam makeWheelWParam(std::int32_t delta, std::uint32_t keyFlags) {
    return makeWParam(keyFlags, std::uint32_t(delta));
}

} // namespace Vextal
