#include "mesh/RingGrid.h"

#include "mesh/VectorClones.h"

#include <array>
#include <cstring>

namespace Vextal {

namespace {

// Eight indices: the triangles of four band cells make three of these.
using IndexBlock = std::uint32_t __attribute__((vector_size(32)));
constexpr int cellsPerRun = 4;
constexpr int indicesPerRun = cellsPerRun * 6;

// Per index of a run of four cells, written as ring + onNext * columns + add,
// where ring is the first vertex of the cell's ring: the band's corners laid
// out cell after cell.
struct RunLayout {
    std::array<std::uint32_t, indicesPerRun> onNext{};
    std::array<std::uint32_t, indicesPerRun> add{};
};
constexpr RunLayout runLayout() {
    RunLayout layout;
    for (int index = 0; index < indicesPerRun; ++index) {
        const int cell = index / 6;
        const GridCorner corner = RingGrid::band[index / 3 % 2][index % 3];
        layout.onNext[index] = corner.ring;
        layout.add[index] = std::uint32_t(cell) + corner.column;
    }
    return layout;
}
constexpr RunLayout layout = runLayout();

// The band row between ring i and ring i + 1, cells 0 to count - 1, none of
// which wraps: four cells at a time as three blocks of eight indices, each
// block the previous one plus 4, so the same values go out in wide stores.
VEXTAL_VECTOR_CLONES
Triangle* writeBandCells(const RingGrid& grid, std::uint32_t i, std::uint32_t count,
                         Triangle* triangles) {
    IndexBlock base[3];
    for (int b = 0; b < 3; ++b) {
        IndexBlock onNext, add;
        std::memcpy(&onNext, layout.onNext.data() + 8 * b, sizeof onNext);
        std::memcpy(&add, layout.add.data() + 8 * b, sizeof add);
        base[b] = grid.vertex(i, 0) + onNext * grid.columns + add;
    }
    std::uint32_t c = 0;
    for (; c + cellsPerRun <= count; c += cellsPerRun) {
        char* out = reinterpret_cast<char*>(triangles);
        for (int b = 0; b < 3; ++b) {
            std::memcpy(out + b * sizeof(IndexBlock), &base[b], sizeof(IndexBlock));
            base[b] += cellsPerRun;
        }
        triangles += 2 * cellsPerRun;
    }
    for (; c < count; ++c) {
        *triangles++ = grid.bandTriangle(i, c, 0);
        *triangles++ = grid.bandTriangle(i, c, 1);
    }
    return triangles;
}

} // namespace

void writeRingGridTriangles(const RingGrid& grid, Triangle* triangles) {
    assert(grid.rings >= 1 && grid.columns >= 1);
    const std::uint32_t last = grid.columns - 1;
    for (std::uint32_t i = 0; i + 1 < grid.rings; ++i) {
        triangles = writeBandCells(grid, i, last, triangles);
        // The last cell wraps to column 0.
        *triangles++ = grid.bandTriangle(i, last, 0);
        *triangles++ = grid.bandTriangle(i, last, 1);
    }
    if (!grid.capped)
        return;
    for (std::uint32_t c = 0; c < grid.columns; ++c) {
        *triangles++ = grid.startFanTriangle(c);
        *triangles++ = grid.endFanTriangle(c);
    }
}

} // namespace Vextal
