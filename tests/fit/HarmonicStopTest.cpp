#include "fit/SurfaceFit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

using namespace Vextal;

// A stop asked while the harmonic's whole numbers are searched ends the fit
// there: unsolved, "stopped", and no later stage reports progress.
TEST(HarmonicFit, StopsWhenAsked) {
    std::vector<FitPoint> points;
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j) {
            const double theta = std::numbers::pi * (i + 0.5) / 40, phi = 0.157 * j;
            const double r = 1 + std::pow(std::sin(2 * phi), 2) + std::sin(theta);
            points.push_back({r * std::sin(theta) * std::sin(phi),
                              r * std::sin(theta) * std::cos(phi), r * std::cos(theta)});
        }
    std::atomic<bool> stop{false};
    double reached = 0;
    SurfaceFitOptions options;
    options.surface = SurfaceKind::harmonic;
    options.stop = &stop;
    options.progress = [&](double share) {
        reached = share;
        stop = true;
    };
    const SurfaceFitResult result = fitSurface(points, options);
    EXPECT_FALSE(result.solved);
    EXPECT_EQ(result.error, "stopped");
    EXPECT_LT(reached, 0.5);
}
