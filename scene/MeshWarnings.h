#pragma once

#include "mesh/MeshSurvey.h"
#include "scene/SceneLoader.h"

#include <string>
#include <vector>

namespace Vextal {

class PolygonsIndexed;

// What a person should know about a surface the load rendered, one line
// each: vertices that are not finite, triangles without area, a closed
// surface that is not watertight, one that encloses almost no volume.
std::vector<std::string> meshWarnings(const PolygonsIndexed& mesh, const MeshSurvey& survey,
                                      const SceneSummary& scene);

} // namespace Vextal
