#include "python/Pictures.h"

#include "pictures/PngWriter.h"
#include "python/Errors.h"
#include "python/Meshes.h"
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
    if (!py::isinstance<py::int_>(value) && !py::isinstance<py::float_>(value))
        raiseValueError(std::string(argument) + " " + needs + ", got " + shown(value));
    return value.cast<double>();
}

std::string pairText(const py::object& pair, const char* argument, const char* needs,
                     const char* separator, bool whole) {
    if (!py::isinstance<py::sequence>(pair) || py::isinstance<py::str>(pair) || py::len(pair) != 2)
        raiseValueError(std::string(argument) + " " + needs + ", got " + shown(pair));
    const py::sequence items = pair;
    std::string text;
    for (std::size_t k = 0; k < 2; ++k) {
        const py::handle item = items[k];
        if (whole && (!py::isinstance<py::int_>(item) || py::isinstance<py::bool_>(item)))
            raiseValueError(std::string(argument) + " " + needs + ", got " + shown(pair));
        const py::object value =
            whole ? py::object(py::int_(py::reinterpret_borrow<py::object>(item)))
                  : py::object(py::float_(number(item, argument, needs)));
        text += (k ? separator : "") + py::str(value).cast<std::string>();
    }
    return text;
}

// The drawing of one picture, its problem raised as Python's.
std::vector<std::uint8_t> draw(const Scene& scene, const VextalTools::PictureSettings& settings,
                               bool fill) {
    const std::string text = Vextal::sceneText(scene.values);
    std::optional<VextalTools::DrawingProblem> problem;
    std::vector<std::uint8_t> pixels;
    {
        py::gil_scoped_release unlocked;
        const std::lock_guard<std::mutex> only(drawingLock());
        VextalTools::SceneDrawing drawing(settings);
        problem = drawing.startText(text, shownName(scene));
        VextalTools::CameraPose pose = VextalTools::poseOf(settings);
        pose.fill = fill;
        if (!problem)
            problem = drawing.draw(pose, pixels);
    }
    if (problem)
        throw std::runtime_error(problem->message);
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

std::string pngBytes(const std::vector<std::uint8_t>& pixels,
                     const VextalTools::PictureSettings& settings) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    if (!memory)
        throw std::bad_alloc();
    const std::string problem = Vextal::writePng(
        memory, {settings.width, settings.height, pixels.data(), settings.transparent}, "");
    std::fclose(memory);
    const std::string png(bytes, size);
    std::free(bytes);
    if (!problem.empty())
        throw std::runtime_error(problem);
    return png;
}

} // namespace

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
    const bool whole =
        py::isinstance<py::int_>(given.samples) && !py::isinstance<py::bool_>(given.samples);
    parsed(whole ? VextalTools::parseSamples(py::str(given.samples).cast<std::string>(), settings)
                 : VextalTools::Refusal("not whole"),
           "samples", "must be 1, 2, 4, 8 or 16", given.samples);
    if (given.background.is_none()) {
        settings.transparent = true;
    } else {
        const bool text = py::isinstance<py::str>(given.background);
        const std::string colour = text ? given.background.cast<std::string>() : "";
        if (colour != "black")
            parsed(text && colour != "none" ? VextalTools::parseBackground(colour, settings)
                                            : VextalTools::Refusal("no colour"),
                   "background", "must be 'black', '#rrggbb' or None (transparent)",
                   given.background);
    }
    settings.wireframe = py::bool_(given.wireframe);
    settings.build = meshBuildOf(given.grid, given.threads);
    return settings;
}

void bindPictures(py::module_& module) {
    py::class_<Scene> scene = py::reinterpret_borrow<py::class_<Scene>>(module.attr("Scene"));
    scene.def(
        "picture",
        [](const Scene& s, const py::object& size, const py::object& turn,
           const py::object& distance, bool fill, const py::object& samples,
           const py::object& background, const py::object& wireframe, const py::object& grid,
           const py::object& threads) {
            const VextalTools::PictureSettings settings = pictureSettingsOf(
                {size, turn, distance, samples, background, wireframe, grid, threads});
            return pictureArray(draw(s, settings, fill), settings.width, settings.height);
        },
        py::arg("size") = py::make_tuple(480, 360), py::arg("turn") = py::none(),
        py::arg("distance") = py::none(), py::arg("fill") = false, py::arg("samples") = 1,
        py::arg("background") = "black", py::arg("wireframe") = false, py::arg("grid") = py::none(),
        py::arg("threads") = py::none(),
        R"(Draws the scene offscreen as vextal-snapshot does: height x width x 4 uint8 (RGBA).

size=(width, height), 1 to 4096 each; turn=(x, y) radians, as a right drag;
distance: units back from the origin (default 5); fill=True frames the
surface by its bounds instead; samples: 1, 2, 4, 8 or 16 per pixel;
background: 'black' (the viewer's), '#rrggbb', or None for transparent
(alpha is then coverage); wireframe draws lines and the axes; grid and
threads as in mesh(). The GIL is released while it draws.)");
    scene.def(
        "_repr_png_",
        [](const Scene& s) {
            VextalTools::PictureSettings settings;
            settings.width = 480;
            settings.height = 360;
            settings.samples = 4;
            return py::bytes(pngBytes(draw(s, settings, true), settings));
        },
        "The scene as a notebook shows it: a 480 x 360 PNG, filled and smoothed.");
}

} // namespace VextalPython
