#include "tools/CurvePicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

using Colour = std::array<double, 3>;
constexpr Colour curveColour{230, 97, 1};
constexpr Colour pointColour{33, 64, 154};
constexpr int curveSamples = 4096;

// From the points' units to pixels, y upwards.
struct View {
    double left = 0, top = 0, pixelsPerUnit = 1;
    CurvePoint pixel(const CurvePoint& p) const {
        return {(p[0] - left) * pixelsPerUnit, (top - p[1]) * pixelsPerUnit};
    }
};

class Canvas {
public:
    Canvas(CurvePicture& picture) : picture(picture) {}

    // Mixes the colour in by `cover` (0..1) at pixel (x, y), if inside.
    void blend(int x, int y, const Colour& colour, double cover) {
        if (x < 0 || y < 0 || x >= int(picture.width) || y >= int(picture.height) || cover <= 0)
            return;
        std::uint8_t* at = picture.rgba.data() + 4 * (std::size_t(y) * picture.width + x);
        for (int c = 0; c < 3; ++c)
            at[c] = std::uint8_t(std::lround(at[c] + (colour[c] - at[c]) * std::min(1.0, cover)));
    }

    // A line of the width from a to b, its edge smoothed over a pixel, gathered
    // as coverage until the next flush.
    void segment(const CurvePoint& a, const CurvePoint& b, double width) {
        const double half = 0.5 * width;
        const int x0 = int(std::floor(std::min(a[0], b[0]) - half - 1));
        const int x1 = int(std::ceil(std::max(a[0], b[0]) + half + 1));
        const int y0 = int(std::floor(std::min(a[1], b[1]) - half - 1));
        const int y1 = int(std::ceil(std::max(a[1], b[1]) + half + 1));
        const double dx = b[0] - a[0], dy = b[1] - a[1];
        const double length2 = dx * dx + dy * dy;
        for (int y = std::max(0, y0); y <= std::min(int(picture.height) - 1, y1); ++y)
            for (int x = std::max(0, x0); x <= std::min(int(picture.width) - 1, x1); ++x) {
                const double px = x + 0.5 - a[0], py = y + 0.5 - a[1];
                const double t =
                    length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
                const double d = std::hypot(px - t * dx, py - t * dy);
                cover(x, y, std::clamp(half + 0.5 - d, 0.0, 1.0));
            }
    }

    // Writes the coverage gathered since the last flush, each pixel once, so
    // that a line's overlapping segments do not darken their joints.
    void flush(const Colour& colour) {
        for (std::size_t k = 0; k < coverage.size(); ++k)
            if (coverage[k] > 0) {
                blend(int(k % picture.width), int(k / picture.width), colour, coverage[k]);
                coverage[k] = 0;
            }
    }

private:
    void cover(int x, int y, double c) {
        if (coverage.empty())
            coverage.assign(std::size_t(picture.width) * picture.height, 0);
        double& at = coverage[std::size_t(y) * picture.width + x];
        at = std::max(at, c);
    }

    CurvePicture& picture;
    std::vector<double> coverage;
};

View viewOf(const std::vector<CurvePoint>& points, int longSide, CurvePicture& picture) {
    CurvePoint low{HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL};
    for (const CurvePoint& p : points)
        for (int k = 0; k < 2; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    const double span = std::max({high[0] - low[0], high[1] - low[1], 1e-300});
    const double margin = 0.08 * span;
    View view;
    view.pixelsPerUnit = longSide / (span + 2 * margin);
    view.left = low[0] - margin;
    view.top = high[1] + margin;
    const auto pixels = [&](double extent) {
        return std::uint32_t(std::clamp(std::ceil((extent + 2 * margin) * view.pixelsPerUnit), 16.0,
                                        double(longSide)));
    };
    picture.width = pixels(high[0] - low[0]);
    picture.height = pixels(high[1] - low[1]);
    return view;
}

} // namespace

CurvePicture drawCurvePicture(const std::vector<CurvePoint>& points, const PlacedCurve& curve,
                              int longSide) {
    CurvePicture picture;
    if (points.empty())
        return picture;
    const View view = viewOf(points, longSide, picture);
    picture.rgba.assign(std::size_t(picture.width) * picture.height * 4, 255);
    Canvas canvas(picture);
    const double line = std::max(1.5, longSide / 300.0);
    CurvePoint previous = view.pixel(curvePointAt(curve, -std::numbers::pi));
    for (int k = 1; k <= curveSamples; ++k) {
        const double phi = -std::numbers::pi + 2 * std::numbers::pi * k / curveSamples;
        const CurvePoint next = view.pixel(curvePointAt(curve, phi));
        // A curve that leaves the picture far behind is cut where it leaves.
        if (std::isfinite(next[0]) && std::isfinite(next[1]) && std::isfinite(previous[0]) &&
            std::isfinite(previous[1]) && std::fabs(next[0]) < 1e5 && std::fabs(next[1]) < 1e5 &&
            std::fabs(previous[0]) < 1e5 && std::fabs(previous[1]) < 1e5)
            canvas.segment(previous, next, line);
        previous = next;
    }
    canvas.flush(curveColour);
    const double dot = std::max(3.0, longSide / 160.0);
    for (const CurvePoint& p : points) {
        const CurvePoint at = view.pixel(p);
        canvas.segment(at, at, dot);
    }
    canvas.flush(pointColour);
    return picture;
}

} // namespace Vextal
