#include "mesh/RingGrid.h"

#include "mesh/VectorClones.h"

#include <algorithm>
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
    const std::uint32_t ring = grid.vertex(i, 0);
    IndexBlock a, b, c, onNext, add;
    std::memcpy(&onNext, layout.onNext.data(), sizeof onNext);
    std::memcpy(&add, layout.add.data(), sizeof add);
    a = ring + onNext * grid.columns + add;
    std::memcpy(&onNext, layout.onNext.data() + 8, sizeof onNext);
    std::memcpy(&add, layout.add.data() + 8, sizeof add);
    b = ring + onNext * grid.columns + add;
    std::memcpy(&onNext, layout.onNext.data() + 16, sizeof onNext);
    std::memcpy(&add, layout.add.data() + 16, sizeof add);
    c = ring + onNext * grid.columns + add;
    std::uint32_t cell = 0;
    for (; cell + cellsPerRun <= count; cell += cellsPerRun) {
        char* out = reinterpret_cast<char*>(triangles);
        std::memcpy(out, &a, sizeof a);
        std::memcpy(out + sizeof a, &b, sizeof b);
        std::memcpy(out + 2 * sizeof a, &c, sizeof c);
        triangles += 2 * cellsPerRun;
        a += cellsPerRun;
        b += cellsPerRun;
        c += cellsPerRun;
    }
    for (; cell < count; ++cell) {
        *triangles++ = grid.bandTriangle(i, cell, 0);
        *triangles++ = grid.bandTriangle(i, cell, 1);
    }
    return triangles;
}

} // namespace

void writeRingGridTriangles(const RingGrid& grid, Triangle* triangles, const Workers& workers) {
    assert(grid.rings >= 1 && grid.columns >= 1);
    const std::uint32_t last = grid.columns - 1;
    // Row i starts at triangle 2 i columns, whoever writes it.
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / grid.columns);
    forEachBlock(workers, grid.rings - 1, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        Triangle* row = triangles + std::size_t(2) * first * grid.columns;
        for (std::uint32_t i = first; i < end; ++i) {
            row = writeBandCells(grid, i, last, row);
            // The last cell wraps to column 0.
            *row++ = grid.bandTriangle(i, last, 0);
            *row++ = grid.bandTriangle(i, last, 1);
        }
    });
    triangles += grid.bandTriangleCount();
    if (!grid.capped)
        return;
    for (std::uint32_t c = 0; c < grid.columns; ++c) {
        *triangles++ = grid.startFanTriangle(c);
        *triangles++ = grid.endFanTriangle(c);
    }
}

} // namespace Vextal
