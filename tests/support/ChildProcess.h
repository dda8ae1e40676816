#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

namespace VextalTest {

// A forked copy of the test process that runs one function. The child never
// returns into the test framework: it ends with _exit whatever happens, and a
// crash in it is seen by the parent as a signal, not as the parent's crash.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<int()>& body) {
        pid = ::fork();
        if (pid == 0) {
            int code = 125;
            try {
                code = body();
            } catch (...) {
            }
            ::_exit(code);
        }
    }
    ~ChildProcess() { kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid > 0; }

    // Waits up to the limit for the child to end. True when it ended; its
    // wait status is then in status().
    bool waitFor(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (pid > 0 && !ended) {
            const pid_t done = ::waitpid(pid, &waitStatus, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                ended = true;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return ended;
    }

    // Ends the child at once (if it still runs) and reaps it.
    void kill() {
        if (pid > 0 && !ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &waitStatus, 0);
            ended = true;
        }
    }

    // Asks the child to stop (SIGTERM) and waits for it.
    bool terminate(std::chrono::milliseconds limit) {
        if (pid > 0 && !ended)
            ::kill(pid, SIGTERM);
        return waitFor(limit);
    }

    int status() const { return waitStatus; }
    bool exitedWith(int code) const {
        return ended && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == code;
    }

    // "exit 3", "signal 11 (Segmentation fault)" or "still running".
    std::string describe() const {
        if (!ended)
            return "still running";
        if (WIFSIGNALED(waitStatus))
            return "signal " + std::to_string(WTERMSIG(waitStatus)) + " (" +
                   ::strsignal(WTERMSIG(waitStatus)) + ")";
        return "exit " + std::to_string(WEXITSTATUS(waitStatus));
    }

private:
    pid_t pid = -1;
    bool ended = false;
    int waitStatus = 0;
};

// What a function run in a child handed back, if it got that far.
template <class Result> struct ChildOutcome {
    bool reported = false; // the child ended within the limit and sent a result
    std::string how;       // how the child ended, for failure messages
    Result result{};
};

// Runs body in a forked child and returns its result, copied through a pipe.
// A child still running after the limit is killed; a child that crashes or
// fails a sanitizer check reports nothing.
template <class Result>
ChildOutcome<Result> runInChild(const std::function<Result()>& body,
                                std::chrono::milliseconds limit) {
    static_assert(std::is_trivially_copyable_v<Result>);
    ChildOutcome<Result> outcome;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        outcome.how = "pipe failed";
        return outcome;
    }
    ChildProcess child([&] {
        ::close(pipeEnds[0]);
        const Result result = body();
        const bool sent = ::write(pipeEnds[1], &result, sizeof result) == ssize_t(sizeof result);
        return sent ? 0 : 124;
    });
    ::close(pipeEnds[1]);
    if (!child.waitFor(limit)) {
        child.kill();
        outcome.how = "still running after " + std::to_string(limit.count()) + " ms: killed";
    } else {
        outcome.how = child.describe();
        outcome.reported = child.exitedWith(0) && ::read(pipeEnds[0], &outcome.result,
                                                         sizeof(Result)) == ssize_t(sizeof(Result));
    }
    ::close(pipeEnds[0]);
    return outcome;
}

} // namespace VextalTest
