#include "python/PngFiles.h"

#include "base/EscapedText.h"
#include "output/OutputFile.h"
#include "pictures/PngWriter.h"
#include "python/Errors.h"
#include "python/Numbers.h"
#include "python/Pictures.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace py = pybind11;

namespace VextalPython {

namespace {

// A picture the PNG writer takes: RGBA rows, and whether its alpha is kept.
struct Rgba {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
    bool alpha = false;
};

// height x width x 4 (or 3) uint8, as picture() gives; any strides.
Rgba rgbaOf(const py::object& given) {
    const std::string needs = "array must be height x width x 4 (RGBA) or x 3 (RGB) uint8, each "
                              "side up to 65535, got ";
    if (!py::isinstance<py::array>(given))
        raiseValueError(needs + shownValue(given, true));
    const py::array array = given;
    const bool shaped = array.ndim() == 3 && (array.shape(2) == 3 || array.shape(2) == 4) &&
                        array.shape(0) >= 1 && array.shape(1) >= 1 && array.shape(0) <= 65535 &&
                        array.shape(1) <= 65535;
    if (!array.dtype().is(py::dtype::of<std::uint8_t>()) || !shaped)
        raiseValueError(needs + "an array of " + py::str(array.dtype()).cast<std::string>() +
                        " shaped " + py::str(py::tuple(array.attr("shape"))).cast<std::string>());
    const auto rows = py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>(array);
    Rgba rgba{std::uint32_t(array.shape(1)), std::uint32_t(array.shape(0)), {}, false};
    const std::size_t pixels = std::size_t(rgba.width) * rgba.height;
    const std::size_t channels = std::size_t(array.shape(2));
    rgba.bytes.assign(pixels * 4, 255);
    const std::uint8_t* from = rows.data();
    for (std::size_t k = 0; k < pixels; ++k)
        std::memcpy(&rgba.bytes[4 * k], from + channels * k, channels);
    // Kept only where it says something: an opaque picture is written as RGB.
    for (std::size_t k = 3; channels == 4 && k < rgba.bytes.size() && !rgba.alpha; k += 4)
        rgba.alpha = rgba.bytes[k] != 255;
    return rgba;
}

void writePngFile(const py::object& path, const py::object& array) {
    const std::string name = fileSystemPath(path);
    const Rgba rgba = rgbaOf(array);
    std::string problem;
    {
        py::gil_scoped_release unlocked;
        Vextal::OutputFile out(name);
        if (out.stream())
            problem = Vextal::writePng(
                out.stream(), {rgba.width, rgba.height, rgba.bytes.data(), rgba.alpha}, "");
        if (problem.empty() && !out.commit())
            problem = out.error();
    }
    if (!problem.empty())
        raiseOSError(name, problem);
}

} // namespace

void bindPngFiles(py::module_& module) {
    module.def(
        "png",
        [](const py::object& array) {
            const Rgba rgba = rgbaOf(array);
            return py::bytes(pngBytes(rgba.bytes, rgba.width, rgba.height, rgba.alpha));
        },
        py::arg("array"),
        R"(The PNG file's bytes of a picture (height x width x 4 or x 3 uint8), as
write_png writes it; IPython.display.Image(vextal.png(rgba)) shows it.)");
    module.def("write_png", &writePngFile, py::arg("path"), py::arg("array"),
               R"(Writes a picture (height x width x 4 RGBA or x 3 RGB uint8, as picture()
gives) to a PNG file, as vextal-snapshot writes its pictures: whole, or an
existing file is left as it was (OSError naming the path). Alpha is kept
when some pixel is not opaque; otherwise the file is RGB.)");
}

} // namespace VextalPython
