#include "python/Pictures.h"

#include "pictures/PngWriter.h"
#include "python/Colours.h"
#include "python/Errors.h"
#include "python/Meshes.h"
#include "python/Numbers.h"
#include "tools/SceneDrawing.h"

#include <pybind11/numpy.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace py = pybind11;

namespace VextalPython {

namespace {

std::string shown(const py::handle& value) {
    return py::repr(value).cast<std::string>();
}

// Sets an option through the tools' own parser, so the same values pass; the
// parser's message names the option, the caller's names the argument.
void parsed(VextalTools::Refusal refusal, const char* argument, const char* needs,
            const py::handle& value) {
    if (refusal)
        raiseValueError(std::string(argument) + " " + needs + ", got " + shown(value));
}

double number(const py::handle& value, const char* argument, const char* needs) {
    return realNumber(value, argument, needs);
}

std::string pairText(const py::object& pair, const char* argument, const char* needs,
                     const char* separator, bool whole) {
    if (!py::isinstance<py::sequence>(pair) || py::isinstance<py::str>(pair) || py::len(pair) != 2)
        raiseValueError(std::string(argument) + " " + needs + ", got " + shown(pair));
    const py::sequence items = pair;
    std::string text;
    for (std::size_t k = 0; k < 2; ++k) {
        const py::handle item = items[k];
        const WholeNumber count = wholeNumberOf(item);
        if (whole && !count.value)
            raiseValueError(std::string(argument) + " " + needs + ", got " + shown(pair) +
                            (count.tooLarge
                                 ? ""
                                 : ", whose " + shownValue(item, true) + " is not a whole number"));
        const py::object value = whole ? py::object(py::int_(*count.value))
                                       : py::object(py::float_(number(item, argument, needs)));
        text += (k ? separator : "") + py::str(value).cast<std::string>();
    }
    return text;
}

// The drawing of one picture, its problem raised as Python's. `given`, when
// not null, are the colours of the values the caller computed, one per vertex
// of the mesh drawn.
std::vector<std::uint8_t> draw(const Scene& scene, const VextalTools::PictureSettings& settings,
                               bool fill, const Vextal::VertexColours* given = nullptr) {
    const std::string text = Vextal::sceneText(scene.values);
    std::optional<VextalTools::DrawingProblem> problem;
    std::vector<std::uint8_t> pixels;
    std::uint32_t vertexCount = 0;
    {
        py::gil_scoped_release unlocked;
        const std::lock_guard<std::mutex> only(drawingLock());
        VextalTools::SceneDrawing drawing(settings);
        problem = drawing.startText(text, shownName(scene));
        vertexCount = drawing.mesh().vertexCount;
        const bool fits = !given || given->values.size() == vertexCount;
        if (given && fits)
            drawing.showColours(*given);
        VextalTools::CameraPose pose = VextalTools::poseOf(settings);
        pose.fill = fill;
        if (!problem && fits)
            problem = drawing.draw(pose, pixels);
    }
    if (problem)
        throw std::runtime_error(problem->message);
    if (given && given->values.size() != vertexCount)
        raiseValueError("values must be one number per vertex of the mesh drawn (" +
                        std::to_string(vertexCount) + ", the mesh at this grid), got " +
                        std::to_string(given->values.size()));
    // An opaque picture's alpha means nothing (the clear colour's is 0.5).
    if (!settings.transparent)
        for (std::size_t k = 3; k < pixels.size(); k += 4)
            pixels[k] = 255;
    return pixels;
}

py::array pictureArray(std::vector<std::uint8_t> pixels, std::uint32_t width,
                       std::uint32_t height) {
    auto* held = new std::vector<std::uint8_t>(std::move(pixels));
    py::capsule owner(held, [](void* p) { delete static_cast<std::vector<std::uint8_t>*>(p); });
    return py::array_t<std::uint8_t>({std::size_t(height), std::size_t(width), std::size_t(4)},
                                     held->data(), owner);
}

} // namespace

std::string pngBytes(const std::vector<std::uint8_t>& pixels, std::uint32_t width,
                     std::uint32_t height, bool alpha) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    if (!memory)
        throw std::bad_alloc();
    const std::string problem = Vextal::writePng(memory, {width, height, pixels.data(), alpha}, "");
    std::fclose(memory);
    const std::string png(bytes, size);
    std::free(bytes);
    if (!problem.empty())
        throw std::runtime_error(problem);
    return png;
}

std::mutex& drawingLock() {
    static std::mutex lock;
    return lock;
}

VextalTools::PictureSettings pictureSettingsOf(const PictureArguments& given) {
    VextalTools::PictureSettings settings;
    parsed(VextalTools::parseSize(
               pairText(given.size, "size", "must be (width, height)", "x", true), settings),
           "size", "must be (width, height), each from 1 to 4096", given.size);
    if (!given.turn.is_none())
        parsed(VextalTools::parseTurn(
                   pairText(given.turn, "turn", "must be (x, y) in radians", ",", false), settings),
               "turn", "must be (x, y), finite radians", given.turn);
    if (!given.distance.is_none())
        parsed(VextalTools::parseDistance(py::str(py::float_(number(given.distance, "distance",
                                                                    "must be a number above 0")))
                                              .cast<std::string>(),
                                          settings),
               "distance", "must be a number above 0", given.distance);
    const WholeNumber samples = wholeNumberOf(given.samples);
    parsed(samples.value ? VextalTools::parseSamples(std::to_string(*samples.value), settings)
                         : VextalTools::Refusal("not whole"),
           "samples", "must be 1, 2, 4, 8 or 16", given.samples);
    if (given.background.is_none()) {
        settings.transparent = true;
    } else {
        const bool text = py::isinstance<py::str>(given.background);
        const std::string colour = text ? given.background.cast<std::string>() : "";
        // The tools' words: "none" is transparent, as None is.
        if (colour != "black")
            parsed(text ? VextalTools::parseBackground(colour, settings)
                        : VextalTools::Refusal("no colour"),
                   "background", "must be 'black', '#rrggbb', 'none' or None (transparent)",
                   given.background);
    }
    settings.wireframe = py::bool_(given.wireframe);
    settings.build = meshBuildOf(given.grid, given.threads);
    settings.legend = given.legend;
    // With values, colour names the map and the legend's label: the drawing
    // does not colour by the formula.
    if (!given.values.is_none())
        return settings;
    settings.colour = colourRequestOf(given.colour, given.range);
    if (!given.range.is_none() && settings.colour.mode == Vextal::ColourMode::plain)
        raiseValueError("range needs colour with a mode other than plain");
    // The tools' message names their options ("--legend needs --colour"):
    // here the arguments.
    if (VextalTools::Refusal refusal = VextalTools::checkPictureSettings(settings)) {
        for (std::size_t at = refusal->find("--"); at != std::string::npos;
             at = refusal->find("--"))
            refusal->erase(at, 2);
        raiseValueError(*refusal);
    }
    return settings;
}

void bindPictures(py::module_& module) {
    py::class_<Scene> scene = py::reinterpret_borrow<py::class_<Scene>>(module.attr("Scene"));
    scene.def(
        "picture",
        [](const Scene& s, const py::object& size, const py::object& turn,
           const py::object& distance, bool fill, const py::object& samples,
           const py::object& background, const py::object& wireframe, const py::object& grid,
           const py::object& threads, const py::object& colour, const py::object& range,
           bool legend, const py::object& values) {
            const VextalTools::PictureSettings settings =
                pictureSettingsOf({size, turn, distance, samples, background, wireframe, grid,
                                   threads, colour, range, legend, values});
            const std::optional<Vextal::VertexColours> given =
                valueColoursOf(values, colour, range);
            return pictureArray(draw(s, settings, fill, given ? &*given : nullptr), settings.width,
                                settings.height);
        },
        py::arg("size") = py::make_tuple(480, 360), py::arg("turn") = py::none(),
        py::arg("distance") = py::none(), py::arg("fill") = false, py::arg("samples") = 1,
        py::arg("background") = "black", py::arg("wireframe") = false, py::arg("grid") = py::none(),
        py::arg("threads") = py::none(), py::arg("colour") = py::none(),
        py::arg("range") = py::none(), py::arg("legend") = false, py::arg("values") = py::none(),
        R"(Draws the scene offscreen as vextal-snapshot does: height x width x 4 uint8 (RGBA).

size=(width, height), 1 to 4096 each; turn=(x, y) radians, as a right drag;
distance: units back from the origin (default 5); fill=True frames the
surface by its bounds instead; samples: 1, 2, 4, 8 or 16 per pixel;
background: 'black' (the viewer's), '#rrggbb', or None for transparent
(alpha is then coverage); wireframe draws lines and the axes; grid and
threads as in mesh(); colour=MODE and range=(low, high) colour the surface
as Mesh.colour does, legend=True draws the colour bar, as vextal-snapshot's
--colour, --range and --legend. values=ARRAY colours by your own numbers
instead, one per vertex of mesh(grid=grid).vertices, with the same maps:
the diverging one when colour is gaussian or mean, else the sequential one;
range as above (default: the 2nd to 98th percentile). The GIL is released
while it draws.)");

    // A mesh is its scene at its grid: drawn again so, it is the same mesh.
    py::class_<Mesh, std::shared_ptr<Mesh>> mesh =
        py::reinterpret_borrow<py::class_<Mesh, std::shared_ptr<Mesh>>>(module.attr("Mesh"));
    mesh.def(
        "picture",
        [](const Mesh& m, const py::object& size, const py::object& turn,
           const py::object& distance, bool fill, const py::object& samples,
           const py::object& background, const py::object& wireframe, const py::object& threads,
           const py::object& colour, const py::object& range, bool legend,
           const py::object& values) {
            VextalTools::PictureSettings settings =
                pictureSettingsOf({size, turn, distance, samples, background, wireframe, py::none(),
                                   threads, colour, range, legend, values});
            settings.build.grid = Vextal::GridSize{m.summary.sliceCount, m.summary.rotateCount};
            const std::optional<Vextal::VertexColours> given =
                valueColoursOf(values, colour, range);
            return pictureArray(draw(m.scene, settings, fill, given ? &*given : nullptr),
                                settings.width, settings.height);
        },
        py::arg("size") = py::make_tuple(480, 360), py::arg("turn") = py::none(),
        py::arg("distance") = py::none(), py::arg("fill") = false, py::arg("samples") = 1,
        py::arg("background") = "black", py::arg("wireframe") = false,
        py::arg("threads") = py::none(), py::arg("colour") = py::none(),
        py::arg("range") = py::none(), py::arg("legend") = false, py::arg("values") = py::none(),
        R"(Draws the mesh as Scene.picture draws its scene, at the mesh's grid (the
same mesh, bit for bit); values=ARRAY, one per vertex of mesh.vertices.)");
    scene.def(
        "_repr_png_",
        [](const Scene& s) {
            VextalTools::PictureSettings settings;
            settings.width = 480;
            settings.height = 360;
            settings.samples = 4;
            return py::bytes(
                pngBytes(draw(s, settings, false), settings.width, settings.height, false));
        },
        "The scene as a notebook shows it: a 480 x 360 PNG at the scene's own grid, from "
        "vextal-snapshot's default view (turn 0,0, 5 units back), smoothed.");
}

} // namespace VextalPython
