#pragma once

#include "mesh/VertexColours.h"
#include "mesh/Workers.h"
#include "meshfiles/ModelUnit.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Vextal {

class PolygonsIndexed;

// Triangles sorted into named base materials: a filament each on a printer
// of several materials.
struct TriangleMaterials {
    std::vector<std::string> names;       // one per material
    std::vector<Rgb8> colours;            // one per material, as slicers show it
    std::vector<std::uint8_t> ofTriangle; // one per triangle: its material
};

// What the model holds besides the mesh: its unit, the object's name, and
// at most one of the colourings.
struct ThreeMfContent {
    ModelUnit unit = ModelUnit::millimeter;
    std::string name;
    const std::vector<Rgb8>* vertexColours = nullptr; // one per vertex, as a colour group
    // One base material per triangle, each triangle also painted with
    // extruder k + 1 for material k as PrusaSlicer reads it.
    const TriangleMaterials* materials = nullptr;
};

// A 3MF package: one mesh object with shared vertices (its triangles counter-
// clockwise seen from outside) and one build item, the unit written into the
// model, the object and the build marked with UUIDs that the same mesh and
// name always get. Coordinates are written with the fewest digits that read
// back as the same float, so no two vertices merge whatever the unit. The
// model's text is formatted and compressed on the workers' threads a piece at
// a time and goes to `out` in one pass, so a pipe takes it too; the bytes are
// the same for any number of threads. Returns why the model could not be
// written (one that would not fit the classic ZIP form's 4 GiB), or nothing;
// a failed write of `out` itself stays on the stream for the caller to find.
// The mesh must be finite.
std::string writeThreeMf(std::FILE* out, const PolygonsIndexed& mesh, const ThreeMfContent& content,
                         const Workers& workers = {});

} // namespace Vextal
