// The page's downloads: scene text in, the bytes of the STL, PLY, 3MF or GLB
// file that vextal-export writes for the same scene and options out (or why
// not). The same steps as vextal-export's, with the project's own writers:
// the checks of finite values, the weld a printer needs, the fit, scale and
// unit, each in the tools' order, so the bytes are the tools' bytes.
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/GltfWriter.h"
#include "meshfiles/MeshCheck.h"
#include "meshfiles/MeshFit.h"
#include "meshfiles/MeshScale.h"
#include "meshfiles/ModelUnit.h"
#include "meshfiles/PlyWriter.h"
#include "meshfiles/StlWriter.h"
#include "meshfiles/ThreeMfWriter.h"
#include "meshfiles/WeldForPrinting.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneLoader.h"
#include "scene/SceneTokenReader.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace Vextal {

namespace {

using emscripten::val;

// A format as vextal-export knows it: what it checks, whether it is always
// welded (a solid for printing), whether it names its unit or is in metres.
struct FileFormat {
    std::string_view name;
    const char* title;
    std::string (*check)(const PolygonsIndexedNormal&);
    bool alwaysWelded;
    bool namesUnit;
    bool inMetres;
    double largestCoordinate; // in the file's unit; 0 for the float range alone
};

constexpr FileFormat fileFormats[] = {
    {"stl", "STL", checkFinitePositions, false, false, false, 0},
    {"ply", "PLY", checkFinitePositionsAndNormals, false, false, false, 0},
    {"3mf", "3MF", checkFinitePositions, true, true, false, 1e9},
    {"glb", "glTF", checkFinitePositionsAndNormals, false, false, true, 0},
};

// vextal-export's options: --weld, --scale or --fit, --unit, --grid.
struct FileOptions {
    bool weld = false;
    std::optional<double> scale;
    std::optional<double> fit;
    std::optional<ModelUnit> unit;
    MeshBuild build;
};

val refused(const std::string& why) {
    val result = val::object();
    result.set("written", false);
    result.set("error", why);
    return result;
}

// A number that is given, finite and above 0, or the reason it is not.
std::optional<std::string> readPositive(const val& options, const char* name,
                                        std::optional<double>& into) {
    const val given = options[name];
    if (given.isUndefined() || given.isNull())
        return std::nullopt;
    const double value = given.as<double>();
    if (!(value > 0) || !std::isfinite(value))
        return std::string(name) + " needs a positive number";
    into = value;
    return std::nullopt;
}

// The options from the page's object {weld, scale, fit, unit, slices,
// rotations}, refused as vextal-export refuses them.
std::optional<std::string> readOptions(const val& options, const FileFormat& format,
                                       FileOptions& read) {
    if (options.isUndefined() || options.isNull())
        return std::nullopt;
    read.weld = options["weld"].isTrue();
    if (auto why = readPositive(options, "scale", read.scale))
        return why;
    if (auto why = readPositive(options, "fit", read.fit))
        return why;
    if (read.scale && read.fit)
        return "fit and scale both set the size: give one of them";
    if (const val unit = options["unit"]; unit.isString()) {
        read.unit = unitNamed(unit.as<std::string>());
        if (!read.unit)
            return "unit takes " + std::string(unitNames());
        if (!format.namesUnit && !format.inMetres)
            return "unit needs a format that knows units (3mf, glb); " + std::string(format.title) +
                   " has none";
    }
    const val slices = options["slices"], rotations = options["rotations"];
    if (slices.isNumber() || rotations.isNumber()) {
        const double s = slices.isNumber() ? slices.as<double>() : 0;
        const double r = rotations.isNumber() ? rotations.as<double>() : 0;
        const auto inRange = [](double n) { return n >= 3 && n <= maxGridCount && n == int(n); };
        if (!inRange(s) || !inRange(r))
            return "the grid needs slices and rotations, each a whole number from 3 to " +
                   std::to_string(maxGridCount);
        read.build.grid = GridSize{std::uint32_t(s), std::uint32_t(r)};
    }
    return std::nullopt;
}

std::string notWritten(const FileFormat& format, const std::string& why) {
    return std::string("not written as ") + format.title + ": " + why;
}

// Welds, fits or scales and converts `mesh` as vextal-export does before it
// writes; says why the mesh cannot be written.
std::string prepare(PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                    const FileFormat& format, const FileOptions& options) {
    if (const std::string why = format.check(mesh); !why.empty())
        return notWritten(format, why);
    if (options.weld || format.alwaysWelded)
        // 3MF has no normals: they are not made again.
        weldForPrinting(mesh, scene, options.build.workers, nullptr, format.name != "3mf");
    double factor = options.scale.value_or(1.0);
    if (options.fit) {
        const std::optional<double> fit = fitFactor(mesh, *options.fit);
        if (!fit)
            return "cannot fit: the surface has no extent";
        factor = *fit;
    }
    const ModelUnit unit = options.unit.value_or(ModelUnit::millimeter);
    if (format.inMetres)
        factor *= metresPer(unit);
    if (factor != 1) {
        if (const std::string why = scaleRefusal(mesh, factor); !why.empty())
            return "not written: " + why;
        scaleMesh(mesh, factor);
    }
    if (format.largestCoordinate > 0)
        if (const std::string why = checkCoordinatesWithin(mesh, format.largestCoordinate);
            !why.empty())
            return notWritten(format, why) + " (in the model's unit, " +
                   std::string(unitName(unit)) + ")";
    // Checked again: scaling may have overflowed the float range.
    if (const std::string why = format.check(mesh); !why.empty())
        return notWritten(format, why);
    return {};
}

// Writes the file; says why it could not be made (a 3MF past 4 GiB).
std::string write(std::FILE* out, PolygonsIndexedNormal& mesh, const FileFormat& format,
                  const std::string& comment, const FileOptions& options) {
    const Workers& workers = options.build.workers;
    if (format.name == "stl")
        writeStl(out, mesh, comment, workers);
    else if (format.name == "ply")
        writePly(out, mesh, comment, workers);
    else if (format.name == "glb")
        writeGlb(out, mesh, comment);
    else
        return writeThreeMf(out, mesh,
                            {.unit = options.unit.value_or(ModelUnit::millimeter), .name = comment},
                            workers);
    return {};
}

// The file's bytes, as a JavaScript array that owns its memory.
val bytesOf(const char* data, std::size_t size) {
    val bytes = val::global("Uint8Array").new_(size);
    if (size > 0)
        bytes.call<void>("set", val(emscripten::typed_memory_view(
                                    size, reinterpret_cast<const unsigned char*>(data))));
    return bytes;
}

// {written: true, bytes} with the file vextal-export writes of the scene in
// `format` (stl, ply, 3mf, glb) with `options`, or {written: false, error}.
val exportFile(const std::string& text, const std::string& formatName, const val& options) {
    const FileFormat* format = nullptr;
    for (const FileFormat& known : fileFormats)
        if (known.name == formatName)
            format = &known;
    if (!format)
        return refused("the page writes stl, ply, 3mf or glb, not '" + formatName + "'");
    FileOptions read;
    if (const auto why = readOptions(options, *format, read))
        return refused(*why);
    const std::string_view bytes =
        std::string_view(text).substr(0, std::size_t(SceneTokenReader::readLimit) + 1);
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText(bytes, mesh, read.build);
    if (!loaded.rendered())
        return refused(loaded.reason());
    if (const std::string why = prepare(mesh, loaded.scene, *format, read); !why.empty())
        return refused(why);
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&data, &size);
    if (!out)
        return refused("no memory for the file");
    std::string problem =
        write(out, mesh, *format, "vextal-export: " + describe(loaded.scene), read);
    if (problem.empty() && std::ferror(out))
        problem = "no memory for the file";
    std::fclose(out);
    val result = problem.empty() ? val::object() : refused(problem);
    if (problem.empty()) {
        result.set("written", true);
        result.set("bytes", bytesOf(data, size));
    }
    std::free(data);
    return result;
}

} // namespace

} // namespace Vextal

EMSCRIPTEN_BINDINGS(vextal_files) {
    emscripten::function("exportFile", &Vextal::exportFile);
}
