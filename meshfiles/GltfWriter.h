#pragma once

#include "mesh/VertexColours.h"

#include <cstdio>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// glTF 2.0: one mesh of one triangle primitive (positions, normals, 32-bit
// indices, each accessor with its bounds where glTF asks for them) in one
// node of one scene. The coordinates are written as they are: glTF readers
// take them as metres. Corners run counter-clockwise seen from outside. The
// mesh must be finite (checkFinitePositionsAndNormals). With colours, each
// vertex also has COLOR_0: its colour as three linear floats (glTF's vertex
// colours are linear; the colours are sRGB), and the node's extras name the
// colouring and its range.

// Binary glTF (.glb): the JSON and the buffer in one file.
void writeGlb(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const VertexColours* colours = nullptr);

// Text glTF (.gltf) with the buffer embedded as a base64 data URI.
void writeGltf(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
               const VertexColours* colours = nullptr);

} // namespace Vextal
