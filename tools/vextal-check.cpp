// vextal-check [--json] SCENE_FILE...
// Explains scene files as the loader reads them: the surface selected and
// why, each command with its values and line, tokens that are no command,
// where and why the load stops, what follows "render", the resulting grid,
// what is wrong with the mesh it gives, and its curvature from the formula.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "scene/SceneReport.h"

#include <cstdio>
#include <new>
#include <string>
#include <string_view>

namespace {

using namespace Vextal;

constexpr int exitClean = 0;
constexpr int exitWarnings = 1;
constexpr int exitFailed = 2;

int statusOf(const SceneReport& report) {
    if (!report.loaded())
        return exitFailed;
    return report.warnings.empty() ? exitClean : exitWarnings;
}

void printEscaped(std::FILE* file, std::string_view bytes) {
    forEachEscaped(bytes, Backslash::doubled, [file](std::string_view piece) {
        std::fwrite(piece.data(), 1, piece.size(), file);
    });
}

constexpr const char* operands[] = {"SCENE_FILE", "[SCENE_FILE...]"};
constexpr OptionDescription options[] = {
    {"--json", nullptr, "the same as one JSON array, an object per file, for scripts"},
};

constexpr ProgramDescription program{
    "vextal-check",
    operands,
    "Explain Vextal scene files as the viewer's loader reads them.",
    "For each file: the surface selected and why, each command with its values\n"
    "and its line, tokens that are no command (with the keyword they nearly are),\n"
    "counts the count rule changed, where and why the load stops, what follows\n"
    "'render' (never read), the resulting grid with its vertex and triangle\n"
    "counts (for a file that loads), and warnings about the mesh: vertices that\n"
    "are not finite, triangles without area, a closed surface that is not\n"
    "watertight, a surface that encloses almost no volume. The format is in\n"
    "vextal-scene(5).\n"
    "\n"
    "The curvature comes from the formula's own derivatives: the least and\n"
    "greatest Gaussian (K) and mean (H) curvature over the grid's points where\n"
    "they are finite (the poles of the parametrisation and sharp tips are not,\n"
    "and are counted), and the total curvature, the integral of K dA over the\n"
    "whole parameter domain on panels of its own, halved where the surface\n"
    "bends sharply until the total settles, with how far it may still be off\n"
    "and the Euler characteristic it gives (Gauss-Bonnet: total = 2 pi x\n"
    "characteristic). When the total has settled, the mesh is closed and its\n"
    "V - E + F differs, the surface is not the closed surface the file claims,\n"
    "and a warning says so. Curvature concentrated on kinks (superformula\n"
    "exponents n2 or n3 of 1 or less) or at singular points is not in the\n"
    "total, and the report says so instead.\n"
    "\n"
    "What comes from a file or a file name is printed escaped where it is not\n"
    "printable UTF-8: each such byte as \\xNN (two hexadecimal digits) and a\n"
    "backslash as \\\\; so are control characters, bytes that are no UTF-8, the\n"
    "line separators, the bidirectional controls and the byte-order mark. A\n"
    "token longer than the 64 bytes the loader keeps is shown cut on a character\n"
    "boundary, with its length: 'abc'... (a 300-byte token, cut).\n"
    "\n"
    "With --json each file is an object with the same keys, written as soon as\n"
    "the file is explained: file; loaded; selector {line, token, tokenBytes,\n"
    "surface, why}; steps [{line, kind (command or ignored), token, tokenBytes,\n"
    "values, note, suggestion}]; stop {line, reason}, where and why reading\n"
    "stopped, or why the file was not read; trailing {line, bytes, moreThan};\n"
    "grid {slices, rotations, closed, theta, phi, vertices, triangles}; mesh\n"
    "{nonFiniteVertices, degenerateTriangles, openEdges, tangledEdges, volume};\n"
    "curvature {gaussianMin, gaussianMax, meanMin, meanMax, gaussianTotal,\n"
    "gaussianTotalError, settled, eulerCharacteristic, pointsLeftOut,\n"
    "concentrated}; warnings [{line, text}].\n"
    "selector, trailing and grid are null for a file that was not read, mesh,\n"
    "curvature and the grid's counts for one that does not load (no mesh is\n"
    "built then). Strings hold the escaped text, so the output is strict UTF-8;\n"
    "NaN and infinities are null.\n",
    options,
    "  0    every file loads, without warnings\n"
    "  1    every file loads, with warnings\n"
    "  2    a file does not load, or the output could not be written\n"
    "  64   usage error\n",
    "A scene with a misspelt command.\n"
    "  vextal-check conf.txt\n",
};

int run(const ParsedCommandLine& line) {
    const bool json = !line.options.empty(); // --json, the only option
    int status = exitClean;
    if (json)
        std::fputs("[", stdout);
    for (std::size_t k = 0; k < line.operands.size(); ++k) {
        // Each file is written as soon as it is explained, and forgotten.
        SceneReport report;
        try {
            checkSceneFile(line.operands[k], report);
        } catch (const std::bad_alloc&) {
            forgetForLackOfMemory(report);
            std::fputs("vextal-check: ", stderr);
            printEscaped(stderr, line.operands[k]);
            std::fputs(": out of memory\n", stderr);
        }
        if (json) {
            std::fputs(k ? ",\n" : "", stdout);
            writeReportJson(stdout, report);
        } else {
            try {
                writeReportText(stdout, report);
            } catch (const std::bad_alloc&) {
                forgetForLackOfMemory(report);
                writeReportText(stdout, report);
            }
        }
        status = std::max(status, statusOf(report));
    }
    if (json)
        std::fputs("]\n", stdout);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine line = parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return finishOutput(program, *line.exitNow);
    return finishOutput(program, run(line));
}
