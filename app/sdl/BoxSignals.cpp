#include "app/sdl/BoxSignals.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace Vextal {

namespace {

volatile std::sig_atomic_t boxShown = 0;
pid_t viewerProcess = 0;

extern "C" void endOnSignal(int) {
    SignalsEndTheBox::end();
}

// SDL shows its box from a child process it forks, which would stay on the
// screen after the viewer ended: the child ends with the viewer.
extern "C" void boxEndsWithViewer() {
    if (!boxShown)
        return;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != viewerProcess) // the viewer ended before the line above
        ::_exit(1);
}

void endOn(int signal, struct sigaction& previous) {
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN)
        return;
    struct sigaction ending {};
    ending.sa_handler = endOnSignal;
    sigemptyset(&ending.sa_mask);
    sigaction(signal, &ending, nullptr);
}

} // namespace

SignalsEndTheBox::SignalsEndTheBox() {
    static const bool forksWatched = ::pthread_atfork(nullptr, nullptr, boxEndsWithViewer) == 0;
    (void)forksWatched;
    viewerProcess = ::getpid();
    boxShown = 1;
    endOn(SIGINT, previousInterrupt);
    endOn(SIGTERM, previousTerminate);
}

SignalsEndTheBox::~SignalsEndTheBox() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    boxShown = 0;
}

void SignalsEndTheBox::end() {
    ::_exit(1);
}

} // namespace Vextal
