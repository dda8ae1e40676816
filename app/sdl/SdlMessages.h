#pragma once

#include "app/Platform.h"
#include "input/HeldButtons.h"

typedef union SDL_Event SDL_Event;
struct SDL_Window;

namespace Vextal {

// The one place where SDL's events become the viewer's messages. Returns false
// for events the viewer does not hear (or that belong to another window).
// Pointer positions are scaled from window units to drawable pixels, sizes
// are drawable sizes, so viewports and the mouse agree on high-DPI screens.
// buttons keeps, from one event to the next, which buttons the window saw go
// down and not come up; mouse messages carry only those as held.
bool translateEvent(const SDL_Event& event, SDL_Window* window, std::uint32_t quitEventType,
                    HeldButtons& buttons, Message& message);

} // namespace Vextal
