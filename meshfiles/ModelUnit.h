#pragma once

#include <optional>
#include <string_view>

namespace Vextal {

// The length a mesh coordinate of 1 stands for in a file that records its
// unit: written into a 3MF model, converted to metres for glTF.
enum class ModelUnit { micron, millimeter, centimeter, inch, foot, meter };

// The names, as 3MF writes them: "micron", "millimeter", ... "meter".
std::string_view unitName(ModelUnit unit);

// The unit with that name, in any case; none for any other word.
std::optional<ModelUnit> unitNamed(std::string_view name);

// How many metres one unit is: 0.0254 for an inch.
double metresPer(ModelUnit unit);

// "micron, millimeter, centimeter, inch, foot or meter", for messages.
std::string_view unitNames();

} // namespace Vextal
