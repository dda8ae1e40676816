#pragma once

#include "colour/ColourMode.h"

#include <cstdint>

namespace Vextal {

class RenderState;
class SceneState;

// The viewer's colouring, when it has one (--colour, --panel): the mode, which
// C moves on through every mode and back to plain, and what the drawn colours
// were last made from.
struct ViewerColouring {
    ColourMode mode = ColourMode::plain;
    bool keyWasHeld = false;
    // The mesh revision and the mode the render state's colours belong to.
    std::uint64_t colouredRevision = 0;
    ColourMode colouredMode = ColourMode::plain;
    bool coloured = false;
};

// A press of C (held now, not in the last frame) moves to the next mode.
void takeColourKey(ViewerColouring& colouring, const std::int32_t* keys);

// Colours the scene mesh in the mode, from the values of its last load,
// when the mesh or the mode changed since the colours were made (plain
// clears them). True when the colours changed: the views must be drawn again.
bool refreshColours(ViewerColouring& colouring, const SceneState& scene, RenderState& render);

} // namespace Vextal
