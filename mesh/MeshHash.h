#pragma once

#include <cstdint>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// FNV-1a (64 bits) over the counts and the bytes of the positions, normals
// and triangle indices, in that order: equal for two meshes exactly when
// their arrays are (but for a collision), whatever built them.
std::uint64_t meshHash(const PolygonsIndexedNormal& mesh);

// The hash as 16 lower-case hexadecimal digits.
std::string meshHashText(const PolygonsIndexedNormal& mesh);

} // namespace Vextal
