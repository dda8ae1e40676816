#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Vextal {

// One vertex's colour, 8 bits a channel (sRGB).
struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
};

// A mesh coloured by one value per vertex: the value, the range the colour map
// spans, and each vertex's colour. Made once per mesh and handed, read-only,
// to whatever shows or writes the mesh, so that every output agrees.
struct VertexColours {
    std::string mode;          // the colouring's name: "height", "gaussian", ...
    float low = 0.0f;          // the value drawn at the map's first colour
    float high = 1.0f;         // the value drawn at the map's last colour
    std::vector<float> values; // one per vertex; NaN where the value is not finite
    std::vector<Rgb8> colours; // one per vertex
};

} // namespace Vextal
