#include "tools/FitReportOutput.h"

#include "base/EscapedText.h"
#include "scene/SceneLoader.h"

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

std::string record(const std::array<float, 6>& c) {
    std::string out;
    for (const float v : c)
        out += (out.empty() ? "" : " ") + number(v);
    return out;
}

std::string jsonRecord(const std::array<float, 6>& c) {
    return "{\"n1\": " + number(c[0]) + ", \"n2\": " + number(c[1]) + ", \"n3\": " + number(c[2]) +
           ", \"m\": " + number(c[3]) + ", \"a\": " + number(c[4]) + ", \"b\": " + number(c[5]) +
           "}";
}

std::string json(std::string_view text) {
    return jsonString(text, Backslash::doubled);
}

} // namespace

void writeFitText(std::FILE* out, const FitReportInput& in, const SurfaceFitResult& fit) {
    std::fprintf(out, "%s: %s, %llu points", escaped(in.file).c_str(), in.format.c_str(),
                 (unsigned long long)in.read);
    if (in.notFinite)
        std::fprintf(out, " (%llu not finite, left out)", (unsigned long long)in.notFinite);
    if (in.used != in.read - in.notFinite)
        std::fprintf(out, ", a sample of %llu fitted", (unsigned long long)in.used);
    std::fputs("\n", out);
    if (!fit.solved) {
        std::fprintf(out, "no fit: %s\n", fit.error.c_str());
        return;
    }
    const SceneValues& v = fit.scene;
    std::fprintf(out, "surface: %s\n", surfaceName(v.surface));
    if (v.surface == SurfaceKind::formula) {
        std::string named;
        for (const FormulaParameter& p : v.formula.parameters)
            named += (named.empty() ? "" : ", ") + p.name + " " + number(p.value);
        std::fprintf(out, "parameters: %s\n", named.empty() ? "none" : named.c_str());
    } else if (v.surface == SurfaceKind::harmonic) {
        std::string m;
        for (const float c : v.coefh)
            m += (m.empty() ? "" : " ") + number(c);
        std::fprintf(out, "coefh: %s\n", m.c_str());
    } else {
        std::fprintf(out, "coef1 (phi):   %s\n", record(v.coef1).c_str());
        std::fprintf(out, "coef2 (theta): %s\n", record(v.coef2).c_str());
    }
    if (v.pose) {
        const ScenePose& p = *v.pose;
        std::fprintf(out, "pose: axis %s %s %s, angle %s rad, translation %s %s %s, scale %s\n",
                     number(p.axis[0]).c_str(), number(p.axis[1]).c_str(),
                     number(p.axis[2]).c_str(), number(p.angle).c_str(),
                     number(p.translation[0]).c_str(), number(p.translation[1]).c_str(),
                     number(p.translation[2]).c_str(), number(p.scale).c_str());
    }
    const FitDistances& d = fit.distances;
    std::fprintf(out, "distance: rms %s, largest %s (size %s: %.3g%% and %.3g%% of it)\n",
                 number(d.rms).c_str(), number(d.largest).c_str(), number(d.size).c_str(),
                 100 * d.rms / d.size, 100 * d.largest / d.size);
    std::fprintf(out, "within 1%% of the size: %.2f%% of the points\n", 100 * d.withinOnePercent);
    if (fit.starts == 0)
        std::fputs("measured, not fitted\n", out);
    else
        std::fprintf(out, "%s after %d iterations over %d starts, %.2f s\n",
                     fit.converged ? "converged" : "did not converge", fit.iterations, fit.starts,
                     fit.seconds);
    if (d.withinOnePercent < 0.5)
        std::fputs("poor fit: fewer than half of the points lie within 1% of the size\n", out);
    if (!in.written.empty())
        std::fprintf(out, "written: %s\n", escaped(in.written).c_str());
}

void writeFitJson(std::FILE* out, const FitReportInput& in, const SurfaceFitResult& fit) {
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
    const SceneValues& v = fit.scene;
    const FitDistances& d = fit.distances;
    text += ", \"surface\": " + json(surfaceName(v.surface));
    if (v.surface == SurfaceKind::formula) {
        std::string named;
        for (const FormulaParameter& p : v.formula.parameters)
            named += (named.empty() ? "" : ", ") + json(p.name) + ": " + number(p.value);
        text += ", \"parameters\": {" + named + "}";
    } else if (v.surface == SurfaceKind::harmonic) {
        std::string m;
        for (const float c : v.coefh)
            m += (m.empty() ? "" : ", ") + number(c);
        text += ", \"coefh\": [" + m + "]";
    } else {
        text += ", \"coef1\": " + jsonRecord(v.coef1) + ", \"coef2\": " + jsonRecord(v.coef2);
    }
    if (v.pose) {
        const ScenePose& p = *v.pose;
        text += ", \"pose\": {\"axis\": [" + number(p.axis[0]) + ", " + number(p.axis[1]) + ", " +
                number(p.axis[2]) + "], \"angle\": " + number(p.angle) + ", \"translation\": [" +
                number(p.translation[0]) + ", " + number(p.translation[1]) + ", " +
                number(p.translation[2]) + "], \"scale\": " + number(p.scale) + "}";
    }
    text +=
        ", \"rms\": " + number(d.rms) + ", \"largest\": " + number(d.largest) +
        ", \"size\": " + number(d.size) + ", \"withinOnePercent\": " + number(d.withinOnePercent) +
        ", \"converged\": " + (fit.converged ? "true" : "false") +
        ", \"iterations\": " + std::to_string(fit.iterations) +
        ", \"starts\": " + std::to_string(fit.starts) + ", \"seconds\": " + number(fit.seconds) +
        ", \"written\": " + (in.written.empty() ? "null" : json(in.written)) + "}\n";
    std::fputs(text.c_str(), out);
}

} // namespace Vextal
