#include "output/TemporaryCleanup.h"

#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Vextal {

namespace {

constexpr int fatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr int fatalSignalCount = sizeof fatalSignals / sizeof fatalSignals[0];

// Read by the handler, so written only while the fatal signals are held.
int guardedFolder = -1;
char guardedName[NAME_MAX + 1];
volatile std::sig_atomic_t guarding = 0;
struct sigaction previousActions[fatalSignalCount];
bool handled[fatalSignalCount];

sigset_t fatalSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : fatalSignals)
        sigaddset(&set, signal);
    return set;
}

// Only async-signal-safe calls: unlink, put the old action back, and send the
// signal again; it is delivered, with its old effect, once this returns.
void removeThenResignal(int signal) {
    if (guarding)
        ::unlinkat(guardedFolder, guardedName, 0);
    guarding = 0;
    for (int k = 0; k < fatalSignalCount; ++k)
        if (fatalSignals[k] == signal && handled[k])
            ::sigaction(signal, &previousActions[k], nullptr);
    ::raise(signal);
}

void installHandlers() {
    struct sigaction action {};
    action.sa_handler = removeThenResignal;
    action.sa_mask = fatalSignalSet();
    for (int k = 0; k < fatalSignalCount; ++k) {
        struct sigaction current {};
        ::sigaction(fatalSignals[k], nullptr, &current);
        handled[k] = current.sa_handler != SIG_IGN; // as nohup leaves SIGHUP
        if (handled[k])
            ::sigaction(fatalSignals[k], &action, &previousActions[k]);
    }
}

void restoreHandlers() {
    for (int k = 0; k < fatalSignalCount; ++k)
        if (handled[k])
            ::sigaction(fatalSignals[k], &previousActions[k], nullptr);
}

} // namespace

bool TemporaryCleanup::arm(int folderFd, const char* name) {
    if (armed || guarding || std::strlen(name) > NAME_MAX)
        return false;
    const FatalSignalsHeld held;
    guardedFolder = folderFd;
    std::strcpy(guardedName, name);
    guarding = 1;
    installHandlers();
    armed = true;
    return true;
}

void TemporaryCleanup::disarm() {
    if (!armed)
        return;
    const FatalSignalsHeld held;
    guarding = 0;
    restoreHandlers();
    armed = false;
}

FatalSignalsHeld::FatalSignalsHeld() {
    const sigset_t set = fatalSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous);
}

FatalSignalsHeld::~FatalSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace Vextal
