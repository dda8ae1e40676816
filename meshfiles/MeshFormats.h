#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace Vextal {

class PolygonsIndexedNormal;

using MeshWriter = void (*)(std::FILE*, const PolygonsIndexedNormal&, const std::string&);
// Why the mesh cannot be written in this format; empty when it can.
using MeshRefusal = std::string (*)(const PolygonsIndexedNormal&);

// A mesh file format: its name (also the file extension), its title, its
// writer and what it refuses (null: every mesh can be written).
struct MeshFormat {
    std::string_view name;
    const char* title;
    MeshWriter write;
    MeshRefusal check;
};

// OBJ, PLY and STL. OBJ keeps NaN and infinite values so that a broken
// surface can be inspected; PLY and STL files go to slicers and other tools,
// which cannot use them.
std::span<const MeshFormat> meshFormats();

// The format with this lower-case name, or null.
const MeshFormat* meshFormatNamed(std::string_view name);

} // namespace Vextal
