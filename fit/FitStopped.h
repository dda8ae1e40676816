#pragma once

#include "fit/SurfaceFit.h"

#include <ceres/iteration_callback.h>

#include <atomic>

namespace Vextal {

// Ends a solve once the fit is asked to stop.
class Stopped : public ceres::IterationCallback {
public:
    explicit Stopped(const std::atomic<bool>* stop) : stop(stop) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary&) override {
        return stop && *stop ? ceres::SOLVER_ABORT : ceres::SOLVER_CONTINUE;
    }

private:
    const std::atomic<bool>* stop;
};

inline bool stopAsked(const SurfaceFitOptions& options) {
    return options.stop && *options.stop;
}

// The result of a fit told to stop: unsolved, "stopped".
inline SurfaceFitResult stoppedFit() {
    SurfaceFitResult result;
    result.error = "stopped";
    return result;
}

} // namespace Vextal
