#pragma once

namespace Vextal {

// Sleeps until SDL has an event, leaving it queued, or until descriptor
// (unless -1) can be read, or timeoutMilliseconds (unless -1) have passed.
// Under X11 one poll() covers the display connection and the descriptor, so
// the process sleeps without waking; other window systems wait for events in
// steps of at most a quarter of a second while a descriptor is given.
void waitForEvent(int descriptor, int timeoutMilliseconds);

} // namespace Vextal
