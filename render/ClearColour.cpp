#include "render/ClearColour.h"

#include <GL/gl.h>

namespace Vextal {

void setClearColour(float red, float green, float blue, float alpha) {
    glClearColor(red, green, blue, alpha);
}

} // namespace Vextal
