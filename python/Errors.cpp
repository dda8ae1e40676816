#include "python/Errors.h"

#include "base/EscapedText.h"

#include <pybind11/eval.h>

namespace py = pybind11;
using Vextal::escaped;

namespace VextalPython {

namespace {

// Defined in Python, so that it behaves as any exception class there: it
// pickles, it takes keyword attributes, and `except ValueError` catches it.
constexpr const char* sceneErrorSource = R"(
class SceneError(ValueError):
    """A scene that the loader refuses.

    str(error) is the loader's reason with where it stopped
    ("starfish.vextal:3: ..."); `path` is the file (None for scene text) and
    `line` the line where reading stopped (None when the file was not read).
    """

    def __init__(self, message, path=None, line=None):
        super().__init__(message)
        self.path = path
        self.line = line
)";

py::object sceneErrorClass() {
    return py::module_::import("vextal").attr("SceneError");
}

[[noreturn]] void raise(const py::object& error) {
    PyErr_SetObject(error.get_type().ptr(), error.ptr());
    throw py::error_already_set();
}

} // namespace

void bindErrors(py::module_& module) {
    py::dict scope;
    scope["__builtins__"] = py::module_::import("builtins");
    scope["__name__"] = "vextal";
    py::exec(sceneErrorSource, scope);
    module.attr("SceneError") = scope["SceneError"];
}

void raiseSceneError(const std::string& message, const std::optional<std::string>& path,
                     std::optional<std::uint32_t> line) {
    const py::object type = sceneErrorClass();
    raise(type(message, path ? py::object(py::str(*path)) : py::none(),
               line ? py::object(py::int_(*line)) : py::none()));
}

void raiseValueError(const std::string& message) {
    throw py::value_error(message);
}

void raiseOSError(const std::string& path, const std::string& why, int errorNumber) {
    const py::handle type = PyExc_OSError;
    // OSError(errno, text, filename) becomes the errno's subclass.
    if (errorNumber != 0)
        raise(py::reinterpret_borrow<py::object>(type)(errorNumber, why, path));
    // No errno to give: the path goes into the message, since a filename
    // without one would print as "[Errno None] None".
    raise(py::reinterpret_borrow<py::object>(type)(escaped(path) + ": " + why));
}

} // namespace VextalPython

namespace VextalPython {

std::string fileSystemPath(const py::handle& path) {
    return py::module_::import("os").attr("fsencode")(path).cast<std::string>();
}

} // namespace VextalPython
