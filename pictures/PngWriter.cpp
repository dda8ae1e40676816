#include "pictures/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace Vextal {

namespace {

// What libpng reports goes here instead of stderr; the error handler then
// jumps back to writePicture's setjmp.
struct PngErrors {
    std::string message;
};

void onError(png_structp png, png_const_charp what) {
    auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
    if (errors->message.empty())
        errors->message = what;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Records the system's reason before libpng jumps away; png_error is called
// with no object of ours alive in this frame.
void failWrite(png_structp png) {
    auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
    if (errors->message.empty())
        errors->message = std::string("cannot write: ") + std::strerror(errno);
    png_error(png, "write failed");
}

// Writes straight to the stream so a short write can say why (a full disk).
void writeBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, file) != length)
        failWrite(png);
}

void flushBytes(png_structp png) {
    if (std::fflush(static_cast<std::FILE*>(png_get_io_ptr(png))) != 0)
        failWrite(png);
}

// Only plain locals live in this frame, and rgbRow (room for an RGBA row) was
// made by the caller, so the jump back from libpng skips no destructor.
bool writePicture(png_structp png, png_infop info, const RgbaPicture& picture,
                  const std::string& comment, std::uint8_t* rgbRow) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const int channels = picture.alpha ? 4 : 3;
    png_set_IHDR(png, info, picture.width, picture.height, 8,
                 picture.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text text{};
    if (!comment.empty()) {
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<png_charp>("Comment");
        text.text = const_cast<png_charp>(comment.c_str());
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    const std::size_t rowPixels = picture.width;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* rgba = picture.bytes + y * rowPixels * 4;
        for (std::size_t x = 0; x < rowPixels; ++x)
            std::memcpy(rgbRow + x * channels, rgba + x * 4, std::size_t(channels));
        png_write_row(png, rgbRow);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::string writePng(std::FILE* out, const RgbaPicture& picture, const std::string& comment) {
    if (!out)
        return "no stream to write to";
    if (picture.width == 0 || picture.height == 0 || !picture.bytes)
        return "an empty picture cannot be written as PNG";
    PngErrors errors;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, onError, onWarning);
    if (!png)
        return "cannot start the PNG writer";
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return "cannot start the PNG writer";
    }
    png_set_write_fn(png, out, writeBytes, flushBytes);
    std::vector<std::uint8_t> rgbRow(std::size_t(picture.width) * 4);
    const bool written = writePicture(png, info, picture, comment, rgbRow.data());
    png_destroy_write_struct(&png, &info);
    if (written)
        return {};
    return errors.message.empty() ? std::string("the PNG writer failed") : errors.message;
}

} // namespace Vextal
