#pragma once

#include <csignal>

namespace Vextal {

// For as long as it lives (while a message box waits for its OK), SIGINT and
// SIGTERM end the process at once with status 1, the failure the box
// reports, and the box goes with it. SDL would only turn them into a quit
// event, which nothing reads before the box is dismissed: the viewer would
// outlive every request to end. A signal ignored from the start (as a shell
// ignores SIGINT for its background jobs) stays ignored, as SDL leaves it.
class SignalsEndTheBox {
public:
    SignalsEndTheBox();
    ~SignalsEndTheBox();
    SignalsEndTheBox(const SignalsEndTheBox&) = delete;
    SignalsEndTheBox& operator=(const SignalsEndTheBox&) = delete;

    // Ends the process as such a signal does.
    [[noreturn]] static void end();

private:
    struct sigaction previousInterrupt {};
    struct sigaction previousTerminate {};
};

} // namespace Vextal
