#pragma once

#include "expression/ExpressionError.h"
#include "mesh/Workers.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Vextal {

class PolygonsIndexedNormal;
class SceneFileMemory;

// The surface as people name it: "spheric superformula".
const char* surfaceName(SurfaceKind kind);

enum class SceneLoadStatus {
    rendered,          // "render" was reached and the mesh rebuilt
    cannotOpen,        // the file could not be opened (errorNumber says why)
    notRegularFile,    // a directory, FIFO or device: refused without reading
    endedBeforeRender, // the input ended before "render"
    badValue,          // a command's value was no number (keyword names it)
    changedWhileRead,  // saved in place while it was read: not trusted, mesh kept
    noRenderInReach,   // no "render" in the first 1 MiB, all that is ever read
    badFormula,        // a typed surface's expression, range or parameter is wrong (formulaError)
};

// The grid of the surface that the file selected, as it stood when the load ended.
struct SceneSummary {
    SurfaceKind surface = SurfaceKind::toric;
    std::uint16_t sliceCount = 0; // the file's, or the tools' --grid
    std::uint16_t rotateCount = 0;
    bool closed = false;
    float phiMin = 0, phiMax = 0, thetaMin = 0, thetaMax = 0;
};

// "line 3, column 9: "foo" is not a parameter ...": an expression error for a person.
std::string formulaErrorText(const ExpressionError& error);

// "toroidal superformula, 24 slices x 48 rotations, open, theta ..., phi ...".
std::string describe(const SceneSummary& scene);

struct SceneLoadResult {
    SceneLoadStatus status = SceneLoadStatus::cannotOpen;
    int errorNumber = 0;
    std::string keyword;
    std::optional<ExpressionError> formulaError;
    SceneSummary scene;
    // Every value the commands left, as far as they were read.
    SceneValues values;

    bool rendered() const { return status == SceneLoadStatus::rendered; }
    // One line for a person: why the load did not reach "render".
    std::string reason() const;
};

struct SceneFileHandle;

// What a load says of a scene file that could not be opened (file.fd < 0).
void refuseUnopened(const SceneFileHandle& file, SceneLoadResult& result);

// Reads a scene file and, on reaching "render", replaces the mesh with the
// tessellation of the selected surface and computes its normals. Every call
// starts from the default parameters. Only the first 1 MiB of the file is
// read. When the load stops before "render" (unreadable file, end of input,
// a value that is no number, no "render" in that first MiB) reading stops at
// once and the mesh is left exactly as it was; so it is when the file was
// saved in place while it was read, since what was read may mix two versions.
SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh);

// The same load for a file loaded again and again: when the memory proves
// the file unchanged since it last read it whole, the commands are taken
// from there and the file is not opened. The result and the mesh are those
// a fresh read would give.
SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh,
                              SceneFileMemory& memory);

// What the tools may ask of a load beyond the file: another grid than the
// file's (all else as the file says) and threads to build it with. The
// default is the viewer's load.
struct MeshBuild {
    std::optional<GridSize> grid;
    Workers workers;
    double time = 0; // a typed surface's t
};

// loadSceneFile(path, mesh), with the grid and the threads of `build`.
SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh,
                              const MeshBuild& build);

// The same load from scene text held in memory (a scene file's bytes, as an
// editor makes them): the commands, the rules and the tessellation are the
// file's; only the reading differs.
// With a build, tessellated as the tools' loads of a file are.
SceneLoadResult loadSceneText(std::string_view text, PolygonsIndexedNormal& mesh,
                              const MeshBuild& build = {});

// The viewer's load: the scene state's file ("conf.txt" in the working
// directory unless the viewer was given another) into its sceneMesh,
// remembering the file between loads in its memory.
void loadScene();

} // namespace Vextal
