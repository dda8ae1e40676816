#pragma once

#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/VertexColours.h"
#include "meshfiles/ColourBands.h"
#include "meshfiles/ModelUnit.h"
#include "scene/SceneLoader.h"
#include "tools/ProgressLine.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace Vextal {

// What a writer is given besides the mesh and the stream.
struct WriteRequest {
    const std::string& comment;
    ModelUnit unit;
    const Workers& workers;
    const VertexColours* colours = nullptr;        // null: the plain mesh
    int bands = 0;                                 // 0, or the colours cut into bands of materials
    BandSpan bandSpan = BandSpan::occurringValues; // what the bands cut
};
// Returns why the file could not be made; failures of the stream itself stay
// on the stream, where the commit finds them. A writer may release the mesh
// once it holds what it writes (the 3MF writer does, to save memory).
using MeshWriter = std::string (*)(std::FILE*, PolygonsIndexedNormal&, const WriteRequest&);
// Why the mesh cannot be written in this format; empty when it can.
using MeshCheck = std::string (*)(const PolygonsIndexedNormal&);

enum class Units {
    none,   // the file carries no unit: a unit means nothing to it
    named,  // the unit is written into the file
    metres, // the file is in metres: coordinates are converted from the unit
};

struct MeshFormat {
    std::string_view name; // also the file extension
    const char* title;
    MeshWriter write;
    MeshCheck check;   // null: every mesh can be written
    bool alwaysWelded; // a solid for printing, whatever --weld says
    Units units;
    bool colours;   // carries a colour per vertex
    bool materials; // carries named materials (bands of colours)
    // The largest coordinate the format allows in the file's unit, after
    // scaling; 0 for the float range alone.
    double largestCoordinate;
};

// The format of that name (lower case), or null.
const MeshFormat* meshFormatNamed(std::string_view name);

// The format the extension after the last dot of the file name names, in any
// case: "OUT.STL" is an STL file too. A name that is only an extension
// (".obj") has none.
const MeshFormat* meshFormatForPath(std::string_view path);

// Why colour options make no sense with the format: a colour given for a
// format without colours, bands (`bands` > 0) for one without materials or
// without a colouring, a range without a colouring. The options are named
// after `dashes` ("--" on the command line, "" in Python). Empty when they do.
std::string colourRefusal(const MeshFormat& format, bool colourGiven, bool coloured,
                          bool rangeGiven, int bands, std::string_view dashes);

// How a loaded mesh becomes a file: what vextal-export's options say.
struct MeshExport {
    const MeshFormat* format = nullptr;
    bool weld = false;
    std::optional<double> scale;
    std::optional<double> fit;
    std::optional<ModelUnit> unit;
    Workers workers;
    std::string input; // the scene file read, never written over ("" for none)
    std::string outPath;
    std::string comment; // the file's comment where the format has one
    int bands = 0;       // with colours: 0 for a colour per vertex, else bands of materials
    // The bands cut the values that occur, unless a range was given.
    BandSpan bandSpan = BandSpan::occurringValues;
    // The open edges are counted for the program's warnings (ExportOutcome's
    // closable and stillOpen): a caller that shows none skips the cost.
    bool countOpenEdges = true;
};

// What came of an export: `problem` empty when the file was written, else one
// line about `where` (the output's name). The open edges are for a warning.
struct ExportOutcome {
    std::string where;
    std::string problem;
    bool refused = false;        // the mesh was refused (not finite, no size), not the file
    std::uint32_t closable = 0;  // open edges --weld would close, when not welded
    std::uint32_t stillOpen = 0; // open edges left after welding a solid
};

// Checks, welds, scales and writes `mesh` (changed on the way) through the
// one safe writer, so the output is whole or left as it was. `scene` is what
// the load built, for the ends a weld joins. `colours`, when given, are the
// loaded mesh's vertices' colours; the weld keeps those of the vertices it
// keeps, so they change with the mesh.
ExportOutcome exportMesh(PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                         const MeshExport& how, const ProgressLine& progress,
                         VertexColours* colours = nullptr);

} // namespace Vextal
