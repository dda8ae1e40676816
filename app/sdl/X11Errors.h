#pragma once

namespace Vextal {

// Makes an X error about a window that no longer exists (BadWindow) harmless.
// Another client may destroy a window between two requests that name it: the
// window manager takes down the frame around the viewer's window while SDL,
// handling an earlier size change, asks where that frame lies. Xlib's default
// reaction to any error is to end the process; the viewer would die of
// someone else's housekeeping. Every other error still goes to the handler
// installed before. Call before SDL opens the display: SDL passes the errors
// it does not expect on to the handler it found there.
void tolerateVanishedWindows();

// The viewer's own X window (0: none). Once another client has destroyed it,
// every request that still names it (the image upload of a buffer swap,
// SDL's own clean-up) fails with BadWindow or BadDrawable; those errors are
// ignored without a word and viewerWindowDestroyed() turns true, so the
// viewer can end as if its window had been closed.
void watchViewerWindow(unsigned long window);
bool viewerWindowDestroyed();

} // namespace Vextal
