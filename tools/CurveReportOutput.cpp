#include "tools/CurveReportOutput.h"

#include "base/EscapedText.h"

#include <cmath>
#include <string_view>

namespace Vextal {

namespace {

std::string number(double v) {
    if (!std::isfinite(v))
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string json(std::string_view text) {
    return jsonString(text, Backslash::doubled);
}

void writeHeading(std::FILE* out, const FitReportInput& in) {
    std::fprintf(out, "%s: %s, %llu points", escaped(in.file).c_str(), in.format.c_str(),
                 (unsigned long long)in.read);
    if (in.notFinite)
        std::fprintf(out, " (%llu not finite, left out)", (unsigned long long)in.notFinite);
    if (in.used != in.read - in.notFinite)
        std::fprintf(out, ", a sample of %llu fitted", (unsigned long long)in.used);
    std::fputs("\n", out);
}

} // namespace

void writeCurveText(std::FILE* out, const FitReportInput& in, const CurveFitResult& fit,
                    const std::string& picture) {
    writeHeading(out, in);
    if (!fit.solved) {
        std::fprintf(out, "no fit: %s\n", fit.error.c_str());
        return;
    }
    const PlacedCurve& c = fit.curve;
    std::fprintf(out, "curve: n1 %s, n2 %s, n3 %s, m %s, a %s, b %s\n", number(c.n1).c_str(),
                 number(c.n2).c_str(), number(c.n3).c_str(), number(c.m).c_str(),
                 number(c.a).c_str(), number(c.b).c_str());
    std::fprintf(out, "placed: rotation %s rad, centre %s %s, scale %s\n",
                 number(c.rotation).c_str(), number(c.centre[0]).c_str(),
                 number(c.centre[1]).c_str(), number(c.scale).c_str());
    const FitDistances& d = fit.distances;
    std::fprintf(out, "distance: rms %s, largest %s (size %s: %.3g%% and %.3g%% of it)\n",
                 number(d.rms).c_str(), number(d.largest).c_str(), number(d.size).c_str(),
                 100 * d.rms / d.size, 100 * d.largest / d.size);
    std::fprintf(out, "within 1%% of the size: %.2f%% of the points\n", 100 * d.withinOnePercent);
    std::fprintf(out, "%s after %d iterations over %d starts, %.2f s\n",
                 fit.converged ? "converged" : "did not converge", fit.iterations, fit.starts,
                 fit.seconds);
    if (d.withinOnePercent < 0.5)
        std::fputs("poor fit: fewer than half of the points lie within 1% of the size\n", out);
    if (!in.written.empty())
        std::fprintf(out, "written: %s\n", escaped(in.written).c_str());
    if (!picture.empty())
        std::fprintf(out, "picture: %s\n", escaped(picture).c_str());
}

void writeCurveJson(std::FILE* out, const FitReportInput& in, const CurveFitResult& fit,
                    const std::string& picture) {
    std::string text = "{\"file\": " + json(in.file) + ", \"format\": " + json(in.format) +
                       ", \"points\": " + std::to_string(in.read) +
                       ", \"notFinite\": " + std::to_string(in.notFinite) +
                       ", \"fitted\": " + std::to_string(in.used) +
                       ", \"solved\": " + (fit.solved ? "true" : "false");
    if (!fit.solved) {
        text += ", \"error\": " + json(fit.error) + "}\n";
        std::fputs(text.c_str(), out);
        return;
    }
    const PlacedCurve& c = fit.curve;
    const FitDistances& d = fit.distances;
    text +=
        ", \"curve\": {\"n1\": " + number(c.n1) + ", \"n2\": " + number(c.n2) +
        ", \"n3\": " + number(c.n3) + ", \"m\": " + number(c.m) + ", \"a\": " + number(c.a) +
        ", \"b\": " + number(c.b) + "}, \"rotation\": " + number(c.rotation) + ", \"centre\": [" +
        number(c.centre[0]) + ", " + number(c.centre[1]) + "], \"scale\": " + number(c.scale) +
        ", \"rms\": " + number(d.rms) + ", \"largest\": " + number(d.largest) +
        ", \"size\": " + number(d.size) + ", \"withinOnePercent\": " + number(d.withinOnePercent) +
        ", \"converged\": " + (fit.converged ? "true" : "false") +
        ", \"iterations\": " + std::to_string(fit.iterations) +
        ", \"starts\": " + std::to_string(fit.starts) + ", \"seconds\": " + number(fit.seconds) +
        ", \"written\": " + (in.written.empty() ? "null" : json(in.written)) +
        ", \"picture\": " + (picture.empty() ? "null" : json(picture)) + "}\n";
    std::fputs(text.c_str(), out);
}

} // namespace Vextal
