#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

namespace VextalPython {

// Python's numbers and NumPy's alike: int, float, numpy.int64, numpy.float32,
// a 0-d array. bool is not taken for a number, nor is text.

// The whole number `value` holds, when it is one (int, a NumPy integer, a
// 0-d integer array) and fits in 64 bits; `tooLarge` says it was whole but
// did not fit.
struct WholeNumber {
    std::optional<long long> value;
    bool tooLarge = false;
};
WholeNumber wholeNumberOf(const pybind11::handle& value);

// A whole number from `low` to `high`, else ValueError "NAME NEEDS, got
// VALUE" (with VALUE's type when it is not a whole number).
long long wholeNumber(const pybind11::handle& value, const char* name, const char* needs,
                      long long low, long long high);

// The real number `value` holds (int, float, a NumPy number, a 0-d array),
// or nothing.
std::optional<double> realNumberOf(const pybind11::handle& value);

// A real number, else ValueError "NAME NEEDS, got VALUE (TYPE)".
double realNumber(const pybind11::handle& value, const char* name, const char* needs);

// How a refused value is shown: its repr, and with `typed` its type's name
// ("'3' (str)"), for when the type is why it is refused.
std::string shownValue(const pybind11::handle& value, bool typed = false);

} // namespace VextalPython
