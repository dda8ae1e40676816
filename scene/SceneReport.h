#pragma once

#include "colour/CurvatureSurvey.h"
#include "mesh/MeshSurvey.h"
#include "scene/SceneExplanation.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

struct SceneWarning {
    std::uint32_t line; // 0: the file as a whole
    std::string text;   // a token in it is quoted escaped
};

// Everything vextal-check says about one scene file: how it reads, and what
// is wrong with it or with the mesh it gives.
struct SceneReport {
    std::string_view path; // the caller's: it outlives the report
    bool readable = false;
    std::string unreadable; // why the file could not be read; empty too when memory ran out
    SceneExplanation explanation;
    MeshSurvey survey;
    CurvatureSurvey curvature; // of a loaded file
    std::vector<SceneWarning> warnings;

    bool loaded() const { return readable && explanation.rendered(); }
};

// "1 byte", "2 bytes": the count with the word that agrees with it.
std::string countOf(std::size_t count, const char* one, const char* many);

// Reads the file at `path` as a load would and explains it, building the
// mesh to survey it. Throws std::bad_alloc when memory runs out.
void checkSceneFile(std::string_view path, SceneReport& report);
// The same for bytes already read (the whole of what a load would read).
void checkSceneBytes(std::string_view path, std::string_view bytes, SceneReport& report);
// After a std::bad_alloc: drops what was gathered and leaves a report that
// says memory ran out, allocating nothing.
void forgetForLackOfMemory(SceneReport& report);

// The report as lines "PATH:LINE: text" for a person, the path's bytes
// escaped and every text printable (base/EscapedText.h).
void writeReportText(std::FILE* file, const SceneReport& report);

// The report as one JSON object with the same keys for every file:
//   file      the path, escaped
//   loaded    true when reading reached "render"
//   selector  {line, token, tokenBytes, surface, why}, or null when unread
//   steps     [{line, kind ("command"/"ignored"), token, tokenBytes,
//              values, note, suggestion}]
//   stop      {line, reason}: where and why reading stopped, or why the
//             file was not read (line 0)
//   trailing  {line, bytes, moreThan}, or null when unread
//   grid      {slices, rotations, closed, theta, phi, vertices, triangles},
//             or null when unread; the counts null when not loaded
//   mesh      {nonFiniteVertices, degenerateTriangles, openEdges,
//             tangledEdges, volume}, or null when not loaded
//   curvature {gaussianMin, gaussianMax, meanMin, meanMax, gaussianTotal,
//             gaussianTotalError, settled, eulerCharacteristic, pointsLeftOut,
//             concentrated}, or null
//             when not loaded
//   warnings  [{line, text}]
// Strings hold the escaped text, so the object is strict UTF-8 whatever the
// file holds; NaN and infinities are null. Allocates nothing.
void writeReportJson(std::FILE* file, const SceneReport& report);

} // namespace Vextal
