// vextal-fit [options] POINTS [OUT.vextal]
// Fits a superformula surface to a point set or a mesh's vertices and
// writes the scene file of the surface, placed where the points are.

#include "base/EscapedText.h"
#include "cli/RunTool.h"
#include "fit/PointFiles.h"
#include "fit/TypedSurfaceFit.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "output/OutputFile.h"
#include "scene/SceneLoader.h"
#include "scene/SceneValues.h"
#include "tools/CurveFitRun.h"
#include "tools/FitReportOutput.h"
#include "tools/FitResiduals.h"
#include "tools/OptionValues.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace Vextal;
using VextalTools::got;
using VextalTools::parseNumber;

constexpr int exitFitted = 0;
constexpr int exitNotWritten = 1;
constexpr int exitFailed = 2;

constexpr const char* operands[] = {"POINTS", "[OUT.vextal]"};
constexpr OptionDescription options[] = {
    {"--surface", "KIND",
     "spheric (the default) or toric: the superformula surface to fit;\nharmonic: the spherical "
     "harmonic, its whole numbers searched;\nor a typed scene file whose named parameters (within "
     "their ranges) and pose are fitted"},
    {"--symmetry", "M",
     "hold the rotational order m of phi at M (a whole number 0..64)\n"
     "instead of trying 1 to 8"},
    {"--fix", "NAME=VALUE",
     "hold a number at VALUE: coef1.n1, coef1.n2, coef1.n3, coef1.a, coef1.b,\n"
     "coef1.m and the same of coef2; may be given again"},
    {"--robust", nullptr, "a loss (Cauchy's) under which outlying points hardly pull"},
    {"--threads", "N", "fit with N threads (default: every core); the result is the same"},
    {"--seed", "N", "the seed of the random choices (default 1): the same seed, the same file"},
    {"--max-points", "N",
     "fit at most N points (default 2000000): a uniform sample of larger files"},
    {"--measure", "SCENE",
     "fit nothing: report the points' distances to the surface\n"
     "of SCENE (a superformula or a typed surface, with its pose)"},
    {"--residuals", "OUT.ply",
     "write the points to OUT.ply coloured by their distance to\n"
     "the surface (dark blue on it, yellow from 1% of the size),\n"
     "with the distance as a property"},
    {"--write-unconverged", nullptr, "write OUT.vextal even when the solver did not converge"},
    {"--curve", nullptr,
     "POINTS is an outline (x y a line, or an SVG of straight segments):\n"
     "fit the superformula curve r(phi) to it"},
    {"--picture", "OUT.png", "with --curve: draw the outline's points and the fitted curve"},
    {"--json", nullptr, "the report as one JSON object, for scripts"},
    {"--quiet", nullptr, "no progress line"},
};

constexpr ProgramDescription program{
    "vextal-fit",
    operands,
    "Fit a superformula surface to a point set or a mesh, or a curve to an outline.",
    "Reads POINTS (PLY, ascii or binary; OBJ; STL, ascii or binary; or plain text\n"
    "with one 'x y z' a line; a mesh's vertices are its points), fits the spheric\n"
    "(or toroidal) superformula surface with its pose to them by least squares,\n"
    "and prints the report: the coefficients, the pose (a rotation, a translation\n"
    "and a scale), the root-mean-square and largest distance from the points to\n"
    "the surface, the share of points within 1% of the shape's size (the diagonal\n"
    "of their bounding box), the solver's iterations and the time. With OUT.vextal\n"
    "the scene file of the fitted surface is written there, whole or not at all;\n"
    "it loads in every Vextal program (its 'pose' command places the surface).\n"
    "\n"
    "The fit minimises each point's gap to the surface along the ray from the\n"
    "surface's centre through it (for the toroidal surface, from the centre of its\n"
    "cross-section), in the points' units, divided by the gap's slope (held\n"
    "between 1 and 2): the first-order distance to the surface, a length\n"
    "everywhere, so neither flat nor pointed shapes are favoured. The distances\n"
    "reported are to each point's closest surface point, found from where the\n"
    "ray meets the surface, and never more than that ray's gap. The fit starts\n"
    "from the points' centre and principal axes, tries every axis as the\n"
    "surface's axis with the orders m 1 to 8 and a round, a pointed and a boxy\n"
    "set of exponents on a sample of the points, refines the best starts on up\n"
    "to 20000 of them and measures the distances over all. Files with more\n"
    "points than --max-points are sampled uniformly while they are read, so\n"
    "memory stays bounded. Points with a NaN or infinite\n"
    "coordinate are left out and counted.\n"
    "\n"
    "With --surface harmonic the spherical harmonic's eight numbers (coefh) are\n"
    "whole: frequencies 0 to 6 and exponents 0 to 8 are searched for each of 1024\n"
    "turns of the pose, the pose and scale of the best solved by least squares\n"
    "on the gap along the ray from its centre over its slope (with --robust, the\n"
    "numbers searched again on the points nearest each solved pose); the\n"
    "distances reported are to each point's closest surface point. The JSON\n"
    "gives coefh [8 numbers] in place of coef1 and coef2.\n"
    "\n"
    "With --surface SCENE, a typed scene (x, y and z as formulas of u and v),\n"
    "its named parameters, each within its range, and the pose are fitted; the\n"
    "distance of a point is to its closest point of the surface (each point's u\n"
    "and v are unknowns of the solve beside them). OUT.vextal is the scene with\n"
    "the fitted values and a 'pose' line; --fix takes its parameters' names; the\n"
    "JSON gives parameters {NAME: value} in place of coef1 and coef2.\n"
    "\n"
    "With --json the report is one object: file, format, points, notFinite,\n"
    "fitted, solved, and either error or surface, coef1 and coef2 {n1, n2, n3, m,\n"
    "a, b}, pose {axis, angle, translation, scale}, rms, largest, size,\n"
    "withinOnePercent, converged, iterations, starts, seconds, written.\n"
    "\n"
    "With --curve, POINTS is an outline: plain text with one 'x y' a line, or an\n"
    "SVG file whose paths, polylines and polygons are straight segments (their\n"
    "vertices are the points; curves, arcs and transforms are refused). It is\n"
    "fitted with the curve r(phi) = (|cos(m phi/4)/a|^n2 + |sin(m phi/4)/b|^n3)\n"
    "^(-1/n1), placed by a rotation, a centre and a scale, trying the orders m\n"
    "1 to 12; the distance is the gap along the ray from the curve's centre over\n"
    "its slope, as for surfaces (the slope held between 1 and 6). OUT.vextal is\n"
    "the spheric scene whose coef1 is the curve and coef2 a circle, posed so that\n"
    "its equator lies on the outline; --fix takes coef1's names. The JSON's\n"
    "curve {n1, n2, n3, m, a, b}, rotation, centre and scale replace coef1,\n"
    "coef2 and pose, and picture names the picture written.\n",
    options,
    "  0    fitted, and OUT.vextal written when given\n"
    "  1    fitted, but the solver did not converge: OUT.vextal not written\n"
    "  2    the points could not be read or fitted, or OUT.vextal not written\n"
    "  64   usage error\n",
    "A scanned starfish, its surface written beside it.\n"
    "  vextal-fit starfish.ply starfish.vextal\n"
    "A leaf's outline, its curve drawn over it.\n"
    "  vextal-fit --curve leaf.svg leaf.vextal --picture leaf.png\n",
};

struct Arguments {
    std::string points;
    std::string out;
    std::string measure;    // a scene to measure the points against, not fit
    std::string typedScene; // --surface SCENE: a typed scene whose parameters are fitted
    std::string residuals;
    SurfaceFitOptions fit;
    std::uint64_t maxPoints = 2'000'000;
    bool json = false;
    bool quiet = false;
    bool writeUnconverged = false;
    bool curve = false;
    std::string picture;
};

std::optional<std::string> applyOption(const GivenOption& given, Arguments& args) {
    const std::string_view name = given.description->name;
    const std::string_view value = given.value;
    if (name == "--surface") {
        const std::string kind = lowerCase(value);
        if (kind == "spheric")
            args.fit.surface = SurfaceKind::spheric;
        else if (kind == "toric")
            args.fit.surface = SurfaceKind::toric;
        else if (kind == "harmonic")
            args.fit.surface = SurfaceKind::harmonic;
        else if (value.empty())
            return "--surface needs spheric, toric, harmonic or a typed scene file" + got(value);
        else
            args.typedScene = std::string(value);
    } else if (name == "--symmetry") {
        const auto m = parseNumber<int>(value);
        if (!m || *m < 0 || *m > 64)
            return "--symmetry needs a whole number from 0 to 64" + got(value);
        args.fit.symmetry = *m;
    } else if (name == "--fix") {
        const std::size_t equals = value.find('=');
        const std::string key(value.substr(0, equals));
        const auto number = equals == std::string_view::npos
                                ? std::nullopt
                                : VextalTools::parseFinite(value.substr(equals + 1));
        if (key.empty() || !number)
            return "--fix needs NAME=VALUE, VALUE a finite number" + got(value);
        args.fit.fixed.emplace_back(key, *number);
    } else if (name == "--threads") {
        const auto n = parseNumber<int>(value);
        if (!n || *n < 1 || *n > 1024)
            return "--threads needs a whole number from 1 to 1024" + got(value);
        args.fit.threads = *n;
    } else if (name == "--seed") {
        const auto n = parseNumber<std::uint64_t>(value);
        if (!n)
            return "--seed needs a whole number from 0 to 18446744073709551615" + got(value);
        args.fit.randomKey = *n;
    } else if (name == "--max-points") {
        const auto n = parseNumber<std::uint64_t>(value);
        if (!n || *n < 10 || *n > 100'000'000)
            return "--max-points needs a whole number from 10 to 100000000" + got(value);
        args.maxPoints = *n;
    } else if (name == "--robust") {
        args.fit.robust = true;
    } else if (name == "--measure") {
        args.measure = std::string(value);
    } else if (name == "--residuals") {
        args.residuals = std::string(value);
    } else if (name == "--write-unconverged") {
        args.writeUnconverged = true;
    } else if (name == "--curve") {
        args.curve = true;
    } else if (name == "--picture") {
        args.picture = std::string(value);
    } else if (name == "--json") {
        args.json = true;
    } else if (name == "--quiet") {
        args.quiet = true;
    }
    return std::nullopt;
}

// The held numbers of a superformula fit: a typed scene's parameters are
// known only once the scene is read.
std::optional<std::string> fixRefusal(const Arguments& args) {
    if (!args.typedScene.empty() && args.fit.symmetry)
        return "--symmetry holds a superformula's order; a typed scene has its own parameters";
    if (!args.typedScene.empty() || args.curve)
        return std::nullopt;
    if (args.fit.surface == SurfaceKind::harmonic && (!args.fit.fixed.empty() || args.fit.symmetry))
        return "--fix and --symmetry hold a superformula's numbers; the harmonic's are searched";
    for (const auto& [key, number] : args.fit.fixed) {
        if (!isFixableName(key))
            return "--fix needs NAME=VALUE, NAME one of coef1.n1 .. coef1.b, coef1.m, "
                   "coef2.n1 .. coef2.b, coef2.m (or a parameter of a typed --surface)" +
                   got(key);
        if (key.ends_with(".m") ? number < 0 : !(number > 0))
            return "--fix needs a value above 0 (an order m of 0 or more)" + got(key);
    }
    return std::nullopt;
}

// The options a curve fit refuses, and --picture without --curve.
std::optional<std::string> curveRefusal(const Arguments& args) {
    if (!args.curve)
        return args.picture.empty() ? std::nullopt
                                    : std::optional<std::string>("--picture needs --curve");
    if (args.fit.surface != SurfaceKind::spheric || !args.typedScene.empty())
        return "--surface is of surfaces: a curve is the one superformula curve";
    for (const auto& [name, value] : args.fit.fixed)
        if (!isCurveFixableName(name))
            return "--fix with --curve holds coef1.n1 .. coef1.b or coef1.m, the curve's "
                   "numbers" +
                   got(name);
    return std::nullopt;
}

std::optional<Arguments> interpret(const ParsedCommandLine& line) {
    Arguments args;
    args.fit.threads = int(std::max(1u, std::thread::hardware_concurrency()));
    for (const GivenOption& given : line.options)
        if (const auto refusal = applyOption(given, args)) {
            reportUsageError(program, *refusal);
            return std::nullopt;
        }
    if (const auto refusal = args.curve ? curveRefusal(args) : fixRefusal(args)) {
        reportUsageError(program, *refusal);
        return std::nullopt;
    }
    args.points = std::string(line.operands[0]);
    if (line.operands.size() > 1)
        args.out = std::string(line.operands[1]);
    if (!args.measure.empty() && !args.out.empty()) {
        reportUsageError(program, "--measure fits nothing and writes no scene: give no OUT");
        return std::nullopt;
    }
    return args;
}

// "vextal-fit: reading 42%" on one line of a terminal, rewritten in place.
class Progress {
public:
    explicit Progress(bool shown) : shown(shown && isatty(STDERR_FILENO)) {}
    ~Progress() { end(); }

    void show(const char* what, double share) {
        if (!shown)
            return;
        const std::lock_guard<std::mutex> hold(lock);
        const int percent = int(100 * std::min(1.0, std::max(0.0, share)));
        if (percent == last && what == step)
            return;
        last = percent;
        step = what;
        std::fprintf(stderr, "\rvextal-fit: %s %3d%%", what, percent);
        std::fflush(stderr);
        drawn = true;
    }
    // For a stream of unknown length: the points read so far.
    void count(const char* what, std::uint64_t points) {
        if (!shown)
            return;
        const std::lock_guard<std::mutex> hold(lock);
        std::fprintf(stderr, "\rvextal-fit: %s, %llu points", what, (unsigned long long)points);
        std::fflush(stderr);
        drawn = true;
        last = -1;
    }
    void end() {
        if (drawn)
            std::fputs("\r\033[K", stderr);
        drawn = false;
    }

private:
    bool shown;
    bool drawn = false;
    int last = -1;
    const char* step = nullptr;
    std::mutex lock;
};

bool writeScene(const Arguments& args, const SceneValues& scene, std::string& error) {
    OutputFile out(args.out, OutputFile::Options{args.points});
    if (!out.stream()) {
        error = out.error();
        return false;
    }
    const std::string text = sceneText(scene);
    std::fputs(text.c_str(), out.stream());
    if (!out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

int runCurve(const Arguments& args) {
    CurveFitRequest request{args.points,    args.out,  args.picture, {},
                            args.maxPoints, args.json, args.quiet,   args.writeUnconverged};
    request.fit.symmetry = args.fit.symmetry;
    request.fit.fixed = args.fit.fixed;
    request.fit.robust = args.fit.robust;
    request.fit.threads = args.fit.threads;
    request.fit.randomKey = args.fit.randomKey;
    return runCurveFit(request);
}

// The points' distances to the surface of the scene file --measure names,
// reported as a fit's with no starts.
SurfaceFitResult measured(const Arguments& args, const std::vector<FitPoint>& points) {
    SurfaceFitResult result;
    PolygonsIndexedNormal mesh;
    MeshBuild build;
    build.grid = GridSize{8, 8}; // only the values are used
    const SceneLoadResult loaded = loadSceneFile(args.measure.c_str(), mesh, build);
    if (!loaded.rendered()) {
        result.error = escaped(args.measure) + ": " + loaded.reason();
        return result;
    }
    result.solved = result.converged = true;
    result.scene = loaded.values;
    result.distances = measureFit(points, result.scene);
    return result;
}

// The fit of the typed scene --surface names: its parameters and a pose.
SurfaceFitResult fitTyped(const Arguments& args, const std::vector<FitPoint>& points,
                          const SurfaceFitOptions& fitting) {
    SurfaceFitResult result;
    PolygonsIndexedNormal mesh;
    MeshBuild build;
    build.grid = GridSize{8, 8}; // only the values are used
    const SceneLoadResult loaded = loadSceneFile(args.typedScene.c_str(), mesh, build);
    if (!loaded.rendered()) {
        result.error = escaped(args.typedScene) + ": " + loaded.reason();
        return result;
    }
    if (loaded.values.surface != SurfaceKind::formula) {
        result.error = escaped(args.typedScene) + ": its surface is a " +
                       surfaceName(loaded.values.surface) +
                       ", not a typed one; --surface takes spheric, toric or a typed scene";
        return result;
    }
    return fitTypedSurface(points, loaded.values, fitting);
}

int run(const Arguments& args) {
    if (args.curve)
        return runCurve(args);
    Progress progress(!args.quiet);
    PointReadOptions reading;
    reading.keep = args.maxPoints;
    reading.randomKey = args.fit.randomKey;
    reading.progress = [&](double share) { progress.show("reading", share); };
    reading.counted = [&](std::uint64_t points) { progress.count("reading", points); };
    const PointRead read = readPoints(args.points, reading);
    if (!read.error.empty()) {
        progress.end();
        std::fprintf(stderr, "vextal-fit: %s: %s\n", escaped(args.points).c_str(),
                     printable(read.error).c_str());
        return exitFailed;
    }
    SurfaceFitOptions fitting = args.fit;
    fitting.progress = [&](double share) { progress.show("fitting", share); };
    const SurfaceFitResult fit = !args.measure.empty()      ? measured(args, read.points)
                                 : !args.typedScene.empty() ? fitTyped(args, read.points, fitting)
                                                            : fitSurface(read.points, fitting);
    progress.end();
    FitReportInput report{args.points,    read.format,        read.read,
                          read.notFinite, read.points.size(), {}};
    int status = exitFitted;
    std::string why;
    if (!fit.solved) {
        status = exitFailed;
    } else if (!fit.converged && !args.writeUnconverged) {
        status = exitNotWritten;
        if (!args.out.empty())
            why = "the solver did not converge (" + fit.solverMessage +
                  "): nothing written; --write-unconverged writes it anyway";
    } else if (!args.out.empty()) {
        std::string error;
        if (writeScene(args, fit.scene, error))
            report.written = args.out;
        else {
            status = exitFailed;
            why = escaped(args.out) + ": " + printable(error);
        }
    }
    // The residuals show a fit that did not converge too: they tell why.
    if (fit.solved && !args.residuals.empty()) {
        std::string error;
        if (!writeResidualPly(args.residuals, args.points, read.points, fit.scene, error)) {
            status = exitFailed;
            why += (why.empty() ? "" : "; ") + escaped(args.residuals) + ": " + printable(error);
        }
    }
    if (args.json)
        writeFitJson(stdout, report, fit);
    else
        writeFitText(stdout, report, fit);
    if (!why.empty())
        std::fprintf(stderr, "vextal-fit: %s\n", why.c_str());
    if (!fit.solved && args.json)
        std::fprintf(stderr, "vextal-fit: %s: %s\n", escaped(args.points).c_str(),
                     fit.error.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    return runTool<Arguments>(program, argc, argv, interpret, run);
}
