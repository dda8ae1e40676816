#pragma once

namespace Vextal {

// The colour every frame is cleared to, in place of the start-up's black, each
// part from 0 to 1. An alpha of 0 leaves the background transparent in a
// picture that keeps alpha; the start-up's is 0.5, which a window ignores.
void setClearColour(float red, float green, float blue, float alpha);

} // namespace Vextal
