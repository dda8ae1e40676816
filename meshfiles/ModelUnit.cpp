#include "meshfiles/ModelUnit.h"

#include <cctype>

namespace Vextal {

namespace {

struct UnitRow {
    ModelUnit unit;
    std::string_view name;
    double metres;
};

constexpr UnitRow units[] = {
    {ModelUnit::micron, "micron", 1e-6},         {ModelUnit::millimeter, "millimeter", 1e-3},
    {ModelUnit::centimeter, "centimeter", 1e-2}, {ModelUnit::inch, "inch", 0.0254},
    {ModelUnit::foot, "foot", 0.3048},           {ModelUnit::meter, "meter", 1.0},
};

const UnitRow& rowOf(ModelUnit unit) {
    return units[int(unit)];
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != b[k])
            return false;
    return true;
}

} // namespace

std::string_view unitName(ModelUnit unit) {
    return rowOf(unit).name;
}

std::optional<ModelUnit> unitNamed(std::string_view name) {
    for (const UnitRow& row : units)
        if (sameIgnoringCase(name, row.name))
            return row.unit;
    return std::nullopt;
}

double metresPer(ModelUnit unit) {
    return rowOf(unit).metres;
}

std::string_view unitNames() {
    return "micron, millimeter, centimeter, inch, foot or meter";
}

} // namespace Vextal
