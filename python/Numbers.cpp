#include "python/Numbers.h"

#include "python/Errors.h"

namespace py = pybind11;

namespace VextalPython {

namespace {

bool notANumber(const py::handle& value) {
    return PyBool_Check(value.ptr()) || PyUnicode_Check(value.ptr()) ||
           PyBytes_Check(value.ptr()) || PyByteArray_Check(value.ptr());
}

} // namespace

std::string shownValue(const py::handle& value, bool typed) {
    std::string text = py::repr(value).cast<std::string>();
    if (typed)
        text +=
            " (" + py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>() + ")";
    return text;
}

// operator.index() is what Python itself asks of a whole number: int, NumPy's
// integers and 0-d integer arrays have it, floats do not.
WholeNumber wholeNumberOf(const py::handle& value) {
    if (notANumber(value))
        return {};
    PyObject* index = PyNumber_Index(value.ptr());
    if (!index) {
        PyErr_Clear();
        return {};
    }
    int overflow = 0;
    const long long whole = PyLong_AsLongLongAndOverflow(index, &overflow);
    Py_DECREF(index);
    if (overflow != 0)
        return {std::nullopt, true};
    return {whole, false};
}

long long wholeNumber(const py::handle& value, const char* name, const char* needs, long long low,
                      long long high) {
    const WholeNumber whole = wholeNumberOf(value);
    if (!whole.value || *whole.value < low || *whole.value > high)
        raiseValueError(std::string(name) + " " + needs + ", got " +
                        shownValue(value, !whole.value && !whole.tooLarge));
    return *whole.value;
}

std::optional<double> realNumberOf(const py::handle& value) {
    if (notANumber(value))
        return std::nullopt;
    const double real = PyFloat_AsDouble(value.ptr());
    if (real == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return std::nullopt;
    }
    return real;
}

double realNumber(const py::handle& value, const char* name, const char* needs) {
    const std::optional<double> real = realNumberOf(value);
    if (!real)
        raiseValueError(std::string(name) + " " + needs + ", got " +
                        shownValue(value, !PyLong_Check(value.ptr())));
    return *real;
}

} // namespace VextalPython
