#pragma once

#include <csignal>

namespace Vextal {

// A named temporary that is removed if the process is stopped by SIGINT,
// SIGTERM, SIGHUP or SIGPIPE before it is renamed into place: the handler
// unlinks it and the signal then ends the process as it would have. One
// temporary at a time is guarded; signals ignored on arrival stay ignored.
class TemporaryCleanup {
public:
    TemporaryCleanup() = default;
    TemporaryCleanup(const TemporaryCleanup&) = delete;
    TemporaryCleanup& operator=(const TemporaryCleanup&) = delete;
    ~TemporaryCleanup() { disarm(); }

    // name is a single component inside the folder open as folderFd. False
    // when another temporary is guarded already.
    bool arm(int folderFd, const char* name);
    // The temporary is gone or renamed: nothing to remove any more.
    void disarm();

private:
    bool armed = false;
};

// Holds SIGINT, SIGTERM, SIGHUP and SIGPIPE back for its lifetime, so that the
// steps that put a file in place are never cut in the middle; a signal that
// arrives meanwhile takes effect when the object goes.
class FatalSignalsHeld {
public:
    FatalSignalsHeld();
    ~FatalSignalsHeld();
    FatalSignalsHeld(const FatalSignalsHeld&) = delete;
    FatalSignalsHeld& operator=(const FatalSignalsHeld&) = delete;

private:
    sigset_t previous;
};

} // namespace Vextal
