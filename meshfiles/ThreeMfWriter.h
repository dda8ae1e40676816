#pragma once

#include "meshfiles/ModelUnit.h"

#include <cstdio>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// 3MF through lib3mf: one mesh object with shared vertices (its triangles
// counter-clockwise seen from outside) and one build item, the unit written
// into the model. lib3mf keeps a mesh of its own while it writes, so the
// mesh is released as soon as lib3mf holds its copy: it is empty afterwards. The package goes to
// `out` in one pass, so a pipe takes it too. Returns why the model could not be written, or
// nothing; a failed write of `out` itself stays on the stream for the caller to find. The mesh must
// be finite.
std::string writeThreeMf(std::FILE* out, PolygonsIndexedNormal& mesh, ModelUnit unit,
                         const std::string& name);

} // namespace Vextal
