#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace Vextal {

// `count` of the points, spread over the set and chosen by the random key (a
// partial shuffle): the same key, the same sample. All of them when there
// are no more than `count`.
template <class Point>
std::vector<Point> sampleOf(const std::vector<Point>& points, std::size_t count,
                            std::uint64_t randomKey) {
    if (points.size() <= count)
        return points;
    std::mt19937_64 random(randomKey);
    std::vector<std::size_t> order(points.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::vector<Point> sample;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t pick = k + std::size_t(random() % (order.size() - k));
        std::swap(order[k], order[pick]);
        sample.push_back(points[order[k]]);
    }
    return sample;
}

} // namespace Vextal
