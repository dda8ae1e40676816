// A scene's mesh with its colouring: the colour modes, each vertex's colour
// and the legend's words, all from the tools' own colour code.
#include "colour/ColourMaps.h"
#include "colour/ColourMode.h"
#include "colour/LegendText.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "web/wasm/JsValues.h"
#include "web/wasm/ValuesObject.h"

#include <emscripten/bind.h>

#include <string>

namespace Vextal {

namespace {

using emscripten::val;

val legendObject(const VertexColours& colours) {
    const LegendText text = legendText(colours);
    val legend = val::object();
    legend.set("title", text.title);
    legend.set("low", text.low);
    legend.set("high", text.high);
    legend.set("zeroAt", text.zeroAt ? val(*text.zeroAt) : val::null());
    return legend;
}

// The colours (3 bytes a vertex), the range, the legend and the map's 256
// colours from the low end to the high end.
val colouringObject(const VertexColours& colours, ColourMode mode) {
    val colouring = val::object();
    colouring.set("mode", std::string(colourModeName(mode)));
    colouring.set("colours", copiedArray(&colours.colours.data()->r, 3 * colours.colours.size()));
    colouring.set("low", colours.low);
    colouring.set("high", colours.high);
    colouring.set("legend", legendObject(colours));
    const ColourTable& table = isSignedMode(mode) ? divergingMap : sequentialMap;
    colouring.set("map", copiedArray(&table.data()->r, 3 * table.size()));
    return colouring;
}

// buildScene's result, with the values the load left and, for a mode other
// than plain (or a name that is none), the colouring vextal-snapshot's
// --colour draws.
val buildViewWith(const std::string& text, const std::string& modeName, const MeshBuild& build) {
    PolygonsIndexedNormal mesh;
    SceneLoadResult loaded;
    val result = buildSceneInto(text, mesh, loaded, build);
    if (!loaded.rendered())
        return result;
    result.set("values", valuesObject(loaded.values));
    const ColourMode mode = colourModeNamed(modeName).value_or(ColourMode::plain);
    if (mode != ColourMode::plain)
        result.set("colouring",
                   colouringObject(colourVertices(loaded.values, mesh, {mode, {}}), mode));
    return result;
}

val buildView(const std::string& text, const std::string& modeName) {
    return buildViewWith(text, modeName, {});
}

// The same on another grid than the file's, as the tools' --grid gives.
val buildViewOnGrid(const std::string& text, const std::string& modeName, std::uint32_t slices,
                    std::uint32_t rotations) {
    const std::optional<std::string> refused = gridRefusal(slices, rotations);
    if (refused)
        return failure(0, *refused);
    return buildViewWith(text, modeName, {.grid = GridSize{slices, rotations}});
}

val colourModeNames() {
    val names = val::array();
    for (ColourMode mode : colourModes())
        names.call<void>("push", std::string(colourModeName(mode)));
    return names;
}

} // namespace

} // namespace Vextal

EMSCRIPTEN_BINDINGS(vextal_colour) {
    emscripten::function("buildView", &Vextal::buildView);
    emscripten::function("buildViewOnGrid", &Vextal::buildViewOnGrid);
    emscripten::function("colourModeNames", &Vextal::colourModeNames);
}
