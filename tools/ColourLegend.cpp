#include "tools/ColourLegend.h"

#include "colour/ColourMaps.h"
#include "colour/ColourMode.h"
#include "colour/LegendText.h"

#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace VextalTools {

namespace {

using Vextal::Rgb8;

struct Canvas {
    std::uint32_t width, height;
    std::vector<std::uint8_t>& rgba;

    // Blends `colour` over the pixel by `coverage` (0..1), making it opaque as far.
    void blend(int x, int y, Rgb8 colour, float coverage) {
        if (x < 0 || y < 0 || x >= int(width) || y >= int(height) || coverage <= 0)
            return;
        std::uint8_t* p = &rgba[(std::size_t(y) * width + std::size_t(x)) * 4];
        const auto mix = [coverage](std::uint8_t under, std::uint8_t over) {
            return std::uint8_t(std::lround(under + (over - under) * coverage));
        };
        p[0] = mix(p[0], colour.r);
        p[1] = mix(p[1], colour.g);
        p[2] = mix(p[2], colour.b);
        p[3] = mix(p[3], 255);
    }
    void fill(int x0, int y0, int x1, int y1, Rgb8 colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                blend(x, y, colour, 1);
    }
};

constexpr Rgb8 textColour{240, 240, 240};
constexpr Rgb8 shadowColour{16, 16, 16};

class Writer {
public:
    Writer(const std::vector<unsigned char>& fontBytes, float pixelHeight) {
        ready = stbtt_InitFont(&font, fontBytes.data(), 0) != 0;
        if (!ready)
            return;
        scale = stbtt_ScaleForPixelHeight(&font, pixelHeight);
        int descent = 0, lineGap = 0;
        stbtt_GetFontVMetrics(&font, &ascent, &descent, &lineGap);
    }
    bool ready = false;

    int widthOf(const std::string& text) const {
        float x = 0;
        for (char c : text) {
            int advance = 0, bearing = 0;
            stbtt_GetCodepointHMetrics(&font, c, &advance, &bearing);
            x += float(advance) * scale;
        }
        return int(std::ceil(x));
    }
    int ascentPixels() const { return int(std::lround(float(ascent) * scale)); }

    // The text with its top at y, starting at x; a shadow one pixel down and right first.
    void write(Canvas& canvas, const std::string& text, int x, int y) const {
        for (const auto& [offset, colour] :
             {std::pair{1, shadowColour}, std::pair{0, textColour}}) {
            float pen = float(x);
            for (char c : text) {
                int w = 0, h = 0, xoff = 0, yoff = 0;
                unsigned char* glyph =
                    stbtt_GetCodepointBitmap(&font, scale, scale, c, &w, &h, &xoff, &yoff);
                const int left = int(std::lround(pen)) + xoff + offset;
                const int top = y + ascentPixels() + yoff + offset;
                for (int row = 0; row < h; ++row)
                    for (int column = 0; column < w; ++column)
                        canvas.blend(left + column, top + row, colour,
                                     float(glyph[row * w + column]) / 255.0f);
                stbtt_FreeBitmap(glyph, nullptr);
                int advance = 0, bearing = 0;
                stbtt_GetCodepointHMetrics(&font, c, &advance, &bearing);
                pen += float(advance) * scale;
            }
        }
    }

private:
    stbtt_fontinfo font{};
    float scale = 1;
    int ascent = 0;
};

} // namespace

std::optional<std::string> drawColourLegend(const Vextal::VertexColours& colours,
                                            std::uint32_t width, std::uint32_t height,
                                            std::vector<std::uint8_t>& rgba, const char* fontPath) {
    std::ifstream file(fontPath, std::ios::binary);
    const std::vector<unsigned char> fontBytes((std::istreambuf_iterator<char>(file)),
                                               std::istreambuf_iterator<char>());
    const float textHeight = std::clamp(float(height) / 30.0f, 10.0f, 48.0f);
    const Writer writer(fontBytes, textHeight);
    if (fontBytes.empty() || !writer.ready)
        return std::string("--legend: cannot read the font ") + fontPath +
               " (Debian's fonts-dejavu-core)";
    if (width < 80 || height < 80)
        return std::nullopt;

    Canvas canvas{width, height, rgba};
    const bool signedValues = Vextal::isSignedMode(
        Vextal::colourModeNamed(colours.mode).value_or(Vextal::ColourMode::plain));
    const Vextal::ColourTable& table = signedValues ? Vextal::divergingMap : Vextal::sequentialMap;
    const int margin = int(textHeight);
    const int barWidth = std::max(8, int(textHeight * 0.8f));
    const int barHeight = int(height / 2);
    const int right = int(width) - margin;
    const int left = right - barWidth;
    const int top = int(height - barHeight) / 2;
    const int bottom = top + barHeight;

    canvas.fill(left - 1, top - 1, right + 1, bottom + 1, shadowColour);
    for (int y = top; y < bottom; ++y) {
        const float fraction = 1.0f - float(y - top) / float(std::max(1, barHeight - 1));
        canvas.fill(left, y, right, y + 1, table[std::size_t(std::lround(fraction * 255.0f))]);
    }

    const int ascent = writer.ascentPixels();
    const int gap = std::max(3, barWidth / 2);
    const auto labelAt = [&](const std::string& text, int y) {
        writer.write(canvas, text, left - gap - writer.widthOf(text), y - ascent / 2);
    };
    const Vextal::LegendText text = Vextal::legendText(colours);
    labelAt(text.high, top);
    labelAt(text.low, bottom);
    if (text.zeroAt)
        labelAt("0", bottom - int(std::lround(*text.zeroAt * barHeight)));
    writer.write(canvas, text.title, std::max(0, right - writer.widthOf(text.title)),
                 top - gap - int(textHeight * 1.2f));
    return std::nullopt;
}

} // namespace VextalTools
