#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace Vextal {

// A picture held as RGBA bytes, four per pixel, rows top first (as read back
// from an offscreen framebuffer and flipped).
struct RgbaPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const std::uint8_t* bytes = nullptr; // width * height * 4, owned by the caller
    // True when alpha is straight (not premultiplied) coverage that the file
    // is to keep: 0 where nothing was drawn. False: alpha means nothing.
    bool alpha = false;
};

// Writes the picture to out as an 8-bit RGB PNG, or RGBA when the picture's
// alpha is kept. Otherwise alpha is dropped: the picture stands for what a
// window shows, and the clear colour's alpha of 0.5 would make the background
// half transparent. A non-empty comment goes
// into a "Comment" text chunk. Returns an empty string when written, else one
// line saying why not (a failed write names the system's error); the stream
// is left at whatever was written and is the caller's to discard.
std::string writePng(std::FILE* out, const RgbaPicture& picture, const std::string& comment);

} // namespace Vextal
