#include "python/Colours.h"

#include "cli/CommandLine.h"
#include "colour/ColourMaps.h"
#include "python/Errors.h"
#include "python/Interruptible.h"
#include "python/Meshes.h"
#include "python/Numbers.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace py = pybind11;

namespace VextalPython {

namespace {

std::string shown(const py::handle& value) {
    return py::repr(value).cast<std::string>();
}

std::string modeNames() {
    std::string names;
    for (const Vextal::ColourMode mode : Vextal::colourModes())
        names += (names.empty() ? "" : ", ") + std::string(Vextal::colourModeName(mode));
    return names;
}

// A copy of `count` rows of `width` values, read-only.
template <typename T> py::array rowsCopied(const T* data, std::size_t count, std::size_t width) {
    py::array_t<T> rows(width == 1 ? std::vector<std::size_t>{count}
                                   : std::vector<std::size_t>{count, width});
    if (count > 0)
        std::memcpy(rows.mutable_data(), data, count * width * sizeof(T));
    py::detail::array_proxy(rows.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return rows;
}

} // namespace

Vextal::ColourRequest colourRequestOf(const py::object& colour, const py::object& range) {
    Vextal::ColourRequest request;
    if (!colour.is_none()) {
        const auto mode =
            py::isinstance<py::str>(colour)
                ? Vextal::colourModeNamed(Vextal::lowerCase(colour.cast<std::string>()))
                : std::nullopt;
        if (!mode)
            raiseValueError("colour takes " + modeNames() + ", got " +
                            shownValue(colour, !py::isinstance<py::str>(colour)));
        request.mode = *mode;
    }
    if (range.is_none())
        return request;
    const std::string refused =
        "range must be (low, high), finite, low below high, got " + shown(range);
    if (!py::isinstance<py::sequence>(range) || py::isinstance<py::str>(range) ||
        py::len(range) != 2)
        raiseValueError(refused);
    const py::sequence pair = range;
    float ends[2];
    for (int k = 0; k < 2; ++k) {
        const py::handle end = pair[std::size_t(k)];
        ends[k] = float(realNumberOf(end).value_or(NAN));
    }
    if (!std::isfinite(ends[0]) || !std::isfinite(ends[1]) || !(ends[0] < ends[1]))
        raiseValueError(refused);
    request.range = Vextal::ColourRange{ends[0], ends[1]};
    return request;
}

std::optional<Vextal::VertexColours>
valueColoursOf(const py::object& values, const py::object& colour, const py::object& range) {
    if (values.is_none())
        return std::nullopt;
    const Vextal::ColourRequest request = colourRequestOf(colour, range);
    const py::array given = py::array::ensure(values);
    const bool numbers = given && given.ndim() == 1 &&
                         std::string("biuf").find(given.dtype().kind()) != std::string::npos;
    if (!numbers)
        raiseValueError("values must be a 1-D array of numbers, one per vertex, got " +
                        (given ? "an array of " + py::str(given.dtype()).cast<std::string>() +
                                     " shaped " + py::str(given.attr("shape")).cast<std::string>()
                               : shownValue(values, true)));
    const auto floats = py::array_t<float, py::array::c_style | py::array::forcecast>(given);
    Vextal::VertexColours out;
    const bool signedValues = Vextal::isSignedMode(request.mode);
    out.mode = colour.is_none() ? "values" : std::string(Vextal::colourModeName(request.mode));
    out.values.assign(floats.data(), floats.data() + floats.size());
    for (float& value : out.values)
        if (!std::isfinite(value))
            value = NAN;
    const Vextal::ColourRange ends =
        request.range.value_or(Vextal::percentileRange(out.values, signedValues));
    out.low = ends.low;
    out.high = ends.high;
    out.colours.resize(out.values.size());
    Vextal::mapColours(signedValues ? Vextal::divergingMap : Vextal::sequentialMap, out.low,
                       out.high, out.values, out.colours.data());
    return out;
}

void bindColours(py::module_& module) {
    using Colours = Vextal::VertexColours;
    py::class_<Colours, std::shared_ptr<Colours>>(module, "Colours",
                                                  R"(A mesh coloured by one value per vertex.

values is an n float32 array (NaN where the value is not finite), rgb an
n x 3 uint8 array (sRGB), both read-only copies; mode names the colouring and
range is (low, high), the values at the colour map's two ends.)")
        .def_property_readonly(
            "values",
            [](const Colours& c) { return rowsCopied(c.values.data(), c.values.size(), 1); },
            "n float32: each vertex's value, NaN where not finite.")
        .def_property_readonly(
            "rgb",
            [](const Colours& c) {
                static_assert(sizeof(Vextal::Rgb8) == 3);
                return rowsCopied(reinterpret_cast<const std::uint8_t*>(c.colours.data()),
                                  c.colours.size(), 3);
            },
            "n x 3 uint8: each vertex's colour.")
        .def_property_readonly(
            "mode", [](const Colours& c) { return c.mode; }, "The colouring's name.")
        .def_property_readonly(
            "range", [](const Colours& c) { return py::make_tuple(c.low, c.high); },
            "(low, high): the values at the colour map's two ends.")
        .def("__repr__", [](const Colours& c) {
            return "<vextal.Colours " + c.mode + " of " + std::to_string(c.values.size()) +
                   " vertices, " + std::to_string(c.low) + " to " + std::to_string(c.high) + ">";
        });

    py::class_<Mesh, std::shared_ptr<Mesh>> mesh =
        py::reinterpret_borrow<py::class_<Mesh, std::shared_ptr<Mesh>>>(module.attr("Mesh"));
    mesh.def(
        "colour",
        [](const Mesh& m, const py::object& mode, const py::object& range) {
            if (mode.is_none())
                raiseValueError("colour takes " + modeNames() + ", got None");
            const Vextal::ColourRequest request = colourRequestOf(mode, range);
            if (request.mode == Vextal::ColourMode::plain)
                raiseValueError("plain is the material alone: it has no values to colour by");
            auto colours = std::make_shared<Colours>();
            Vextal::Workers workers = m.build.workers;
            runInterruptibly(workers, [&] {
                *colours = Vextal::colourVertices(m.values, m.polygons, request, workers);
            });
            return colours;
        },
        py::arg("mode"), py::arg("range") = py::none(),
        R"(Colours the mesh as vextal-export --colour MODE [--range LO,HI] does.

mode: gaussian or mean (the curvature, from the formula's derivatives at each
vertex's own theta and phi), height (z), radius (distance from the origin) or
parameter (a checker of the theta and phi grid). range=(low, high) sets the
values at the colour map's ends (default: the 2nd to 98th percentile, or
-m..m for the curvatures). The GIL is released while it is computed.)");
}

} // namespace VextalPython
