#include "python/Interruptible.h"

#include <pybind11/pybind11.h>

#include <chrono>
#include <csignal>
#include <exception>
#include <future>
#include <optional>
#include <pthread.h>
#include <thread>

namespace py = pybind11;

namespace VextalPython {

namespace {

// Short enough that an interrupt is felt at once, long enough to cost nothing.
constexpr std::chrono::milliseconds signalLook{20};

// The work's thread starts with SIGINT held, so that Ctrl-C reaches the
// waiting thread (where Python handles it) and never cuts a call of the work
// short with EINTR.
std::thread startWithInterruptHeld(const std::function<void()>& body) {
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    std::thread started(body);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return started;
}

} // namespace

void runInterruptibly(Vextal::Workers& workers, const std::function<void()>& work) {
    std::atomic<bool> stop{false};
    workers.stop = &stop;
    std::exception_ptr failure;
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::optional<py::error_already_set> raised;
    {
        py::gil_scoped_release unlocked;
        std::thread worker = startWithInterruptHeld([&] {
            try {
                work();
            } catch (const Vextal::WorkStopped&) {
            } catch (...) {
                failure = std::current_exception();
            }
            done.set_value();
        });
        while (finished.wait_for(signalLook) != std::future_status::ready) {
            const py::gil_scoped_acquire held;
            if (PyErr_CheckSignals() != 0) {
                raised.emplace(); // takes the error the handler set
                stop = true;
                break;
            }
        }
        worker.join();
    }
    workers.stop = nullptr;
    if (raised)
        throw *raised;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace VextalPython
