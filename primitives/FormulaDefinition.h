#pragma once

#include <string>
#include <vector>

namespace Vextal {

// A named number the expressions of a typed surface use, with the range a
// slider may move it in.
struct FormulaParameter {
    std::string name;
    float value = 0;
    float low = 0;
    float high = 0;

    bool operator==(const FormulaParameter&) const = default;
};

// A typed surface as a scene file writes it: the three coordinates as
// expressions of u, v, t and the parameters, as the file gives their text,
// and the parameters in the order they were defined.
struct FormulaDefinition {
    std::string x = "0", y = "0", z = "0";
    std::vector<FormulaParameter> parameters;
    // t: no scene file sets it; an animation runs it from 0 to 1.
    double time = 0;

    bool operator==(const FormulaDefinition&) const = default;
};

} // namespace Vextal
