#include "tools/CurveFitRun.h"

#include "base/EscapedText.h"
#include "fit/OutlineFiles.h"
#include "output/OutputFile.h"
#include "pictures/PngWriter.h"
#include "scene/SceneValues.h"
#include "tools/CurvePicture.h"
#include "tools/CurveReportOutput.h"
#include "tools/ProgressLine.h"

#include <cmath>
#include <cstdio>

namespace Vextal {

namespace {

constexpr int exitFitted = 0;
constexpr int exitNotWritten = 1;
constexpr int exitFailed = 2;

// Writes the file whole or not at all; an empty string when written.
template <class Write>
std::string writeWhole(const std::string& path, const std::string& input, Write write) {
    OutputFile out(path, OutputFile::Options{input});
    if (!out.stream())
        return escaped(path) + ": " + printable(out.error());
    if (std::string error = write(out.stream()); !error.empty())
        return escaped(path) + ": " + printable(error);
    if (!out.commit())
        return escaped(path) + ": " + printable(out.error());
    return "";
}

std::string writeScene(const CurveFitRequest& request, const PlacedCurve& curve) {
    // A scene file holds floats: a number beyond them would not load as itself.
    for (const double v : {curve.n1, curve.n2, curve.n3, curve.m, curve.a, curve.b, curve.rotation,
                           curve.centre[0], curve.centre[1], curve.scale})
        if (!(std::fabs(v) < 3e38))
            return escaped(request.out) + ": the curve's numbers exceed a scene file's range";
    return writeWhole(request.out, request.outline, [&](std::FILE* file) {
        std::fputs(sceneText(curveScene(curve)).c_str(), file);
        return std::string();
    });
}

std::string writePicture(const CurveFitRequest& request, const std::vector<CurvePoint>& points,
                         const PlacedCurve& curve) {
    const CurvePicture picture = drawCurvePicture(points, curve);
    return writeWhole(request.picture, request.outline, [&](std::FILE* file) {
        return writePng(file, RgbaPicture{picture.width, picture.height, picture.rgba.data()},
                        "the outline's points and the superformula curve fitted to them");
    });
}

} // namespace

int runCurveFit(const CurveFitRequest& request) {
    const ProgressLine progress("vextal-fit", !request.quiet);
    progress.step("reading the outline");
    PointReadOptions reading;
    reading.keep = request.maxPoints;
    reading.randomKey = request.fit.randomKey;
    const PointRead read = readOutlineFile(request.outline, reading);
    if (!read.error.empty()) {
        std::fprintf(stderr, "vextal-fit: %s: %s\n", escaped(request.outline).c_str(),
                     printable(read.error).c_str());
        return exitFailed;
    }
    std::vector<CurvePoint> points;
    points.reserve(read.points.size());
    for (const FitPoint& p : read.points)
        points.push_back({p[0], p[1]});
    progress.step("fitting the curve");
    const CurveFitResult fit = fitCurve(points, request.fit);
    FitReportInput report{request.outline, read.format,   read.read,
                          read.notFinite,  points.size(), {}};
    int status = exitFitted;
    std::string why, picture;
    if (!fit.solved) {
        status = exitFailed;
    } else {
        // The picture shows how well the curve fits, converged or not.
        if (!request.picture.empty()) {
            why = writePicture(request, points, fit.curve);
            if (why.empty())
                picture = request.picture;
            else
                status = exitFailed;
        }
        if (!fit.converged && !request.writeUnconverged) {
            status = std::max(status, exitNotWritten);
            if (!request.out.empty())
                why = "the solver did not converge (" + fit.solverMessage +
                      "): nothing written; --write-unconverged writes it anyway";
        } else if (!request.out.empty() && status == exitFitted) {
            why = writeScene(request, fit.curve);
            if (why.empty())
                report.written = request.out;
            else
                status = exitFailed;
        }
    }
    if (request.json)
        writeCurveJson(stdout, report, fit, picture);
    else
        writeCurveText(stdout, report, fit, picture);
    if (!why.empty())
        std::fprintf(stderr, "vextal-fit: %s\n", why.c_str());
    if (!fit.solved && request.json)
        std::fprintf(stderr, "vextal-fit: %s: %s\n", escaped(request.outline).c_str(),
                     fit.error.c_str());
    return status;
}

} // namespace Vextal
