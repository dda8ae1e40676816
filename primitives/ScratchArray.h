#pragma once

#include <cstddef>
#include <vector>

namespace Vextal {

// Room for `count` values: on the stack up to N, so that the viewer's grids
// allocate nothing, and on the heap beyond. The values start undefined for
// plain types; the caller writes each before reading it.
template <class T, std::size_t N> class ScratchArray {
public:
    explicit ScratchArray(std::size_t count) {
        if (count > N) {
            heap.resize(count);
            values = heap.data();
        }
    }
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;

    T* data() { return values; }
    T& operator[](std::size_t k) { return values[k]; }

private:
    T local[N];
    std::vector<T> heap;
    T* values = local;
};

} // namespace Vextal
