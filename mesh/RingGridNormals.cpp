#include "mesh/FaceNormal.h"
#include "mesh/RingGrid.h"
#include "mesh/VectorClones.h"
#include "mesh/Workers.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

// The loops below are written one coordinate array at a time so that the
// compiler can run them on vector registers, in every clone (VectorClones.h).
#define VEXTAL_INLINE inline __attribute__((always_inline))

namespace Vextal {

namespace {

// std::bit_cast, which the browser build's C++ library (emscripten's) lacks.
template <typename To, typename From> constexpr To bitCast(From value) {
    return __builtin_bit_cast(To, value);
}

// For a float x, double(x) > 3e-17 holds exactly when x > this float: 3e-17
// lies strictly between two floats, and this is the lower one.
constexpr float floatThreshold() {
    const float nearest = static_cast<float>(normalLengthThreshold);
    if (static_cast<double>(nearest) > normalLengthThreshold)
        return bitCast<float>(bitCast<std::uint32_t>(nearest) - 1u);
    return nearest;
}
constexpr float threshold = floatThreshold();
static_assert(static_cast<double>(threshold) <= normalLengthThreshold);
static_assert(static_cast<double>(bitCast<float>(bitCast<std::uint32_t>(threshold) + 1u)) >
              normalLengthThreshold);

// The main loops run over whole blocks of columns, so that no lane is left
// to a scalar remainder loop; the lanes past the last column compute values
// nobody reads.
constexpr std::uint32_t block = 16;
std::uint32_t blocksOf(std::uint32_t columns) {
    return (columns + block - 1) / block * block;
}

// Room for a ring of `columns` rounded up to whole blocks, plus one column: a
// ring's column 0 is repeated after its last column, so that "the next
// column" needs no modulo.
constexpr std::uint32_t widthFor(std::uint32_t columns) {
    return (columns + block) / block * block + block;
}

// Three floats per column, one array per coordinate: positions of a ring, or
// face normals indexed by column. The viewer's grids use the narrow kind, on
// the stack, its arrays close together; only the tools' wide grids need the
// wide kind, which lives on the heap.
template <std::uint32_t Width> struct ColumnsOf {
    static constexpr std::uint32_t width = Width;
    alignas(64) float x[Width];
    alignas(64) float y[Width];
    alignas(64) float z[Width];
};
constexpr std::uint32_t narrowColumns = 255;
using NarrowColumns = ColumnsOf<widthFor(narrowColumns)>;
using WideColumns = ColumnsOf<widthFor(RingGrid::maxColumns)>;

// Lanes that the loops below read or write for a ring of `columns`: whole
// blocks, shifted by up to one column (the repeated column 0, the fans kept
// from index 1).
std::uint32_t lanesFor(std::uint32_t columns) {
    return blocksOf(columns) + block;
}

// Zeroes the lanes a ring of `columns` uses, so that the lanes past the last
// column hold determinate values: only those, since a small grid would
// otherwise spend more time clearing than computing.
template <class Columns> void clear(Columns& c, std::uint32_t columns) {
    const std::uint32_t lanes = lanesFor(columns);
    std::fill_n(c.x, lanes, 0.0f);
    std::fill_n(c.y, lanes, 0.0f);
    std::fill_n(c.z, lanes, 0.0f);
}

struct In {
    const float* x;
    const float* y;
    const float* z;
};
struct Out {
    float* x;
    float* y;
    float* z;
};
template <class Columns> In from(const Columns& c, std::uint32_t offset = 0) {
    return {c.x + offset, c.y + offset, c.z + offset};
}
template <class Columns> Out into(Columns& c, std::uint32_t offset = 0) {
    return {c.x + offset, c.y + offset, c.z + offset};
}

template <class Columns>
VEXTAL_INLINE void loadRing(const Vec3* __restrict ring, std::uint32_t columns, Columns& row) {
    for (std::uint32_t j = 0; j < columns; ++j) {
        row.x[j] = ring[j].x;
        row.y[j] = ring[j].y;
        row.z[j] = ring[j].z;
    }
    row.x[columns] = row.x[0];
    row.y[columns] = row.y[0];
    row.z[columns] = row.z[0];
}

template <class Columns> VEXTAL_INLINE void fill(Vec3 p, std::uint32_t columns, Columns& row) {
    for (std::uint32_t j = 0; j < blocksOf(columns); ++j) {
        row.x[j] = p.x;
        row.y[j] = p.y;
        row.z[j] = p.z;
    }
}

// faceNormal() of the triangles (p0[j], p1[j], p2[j]), j < count, and of
// whatever lies in the lanes up to the end of the last block.
VEXTAL_INLINE void faceNormals(In p0, In p1, In p2, std::uint32_t count, Out n) {
    const float* __restrict p0x = p0.x;
    const float* __restrict p0y = p0.y;
    const float* __restrict p0z = p0.z;
    const float* __restrict p1x = p1.x;
    const float* __restrict p1y = p1.y;
    const float* __restrict p1z = p1.z;
    const float* __restrict p2x = p2.x;
    const float* __restrict p2y = p2.y;
    const float* __restrict p2z = p2.z;
    float* __restrict nx = n.x;
    float* __restrict ny = n.y;
    float* __restrict nz = n.z;
    for (std::uint32_t first = 0; first < count; first += block)
        for (std::uint32_t j = first; j < first + block; ++j) {
            const float ax = p1x[j] - p0x[j];
            const float ay = p1y[j] - p0y[j];
            const float az = p1z[j] - p0z[j];
            const float bx = p0x[j] - p2x[j];
            const float by = p0y[j] - p2y[j];
            const float bz = p0z[j] - p2z[j];
            const float cx = ay * bz - az * by;
            const float cy = az * bx - ax * bz;
            const float cz = ax * by - ay * bx;
            const float length = std::sqrt(cx * cx + cy * cy + cz * cz);
            const bool divide = length > threshold;
            const float qx = cx / length;
            const float qy = cy / length;
            const float qz = cz / length;
            nx[j] = divide ? qx : cx;
            ny[j] = divide ? qy : cy;
            nz[j] = divide ? qz : cz;
        }
}

// The face normals of band triangle `which` of every cell between the rings
// at `ring` and `next`; column offset 1 is the next lane, which the repeated
// column 0 makes the wrap.
template <class Columns>
VEXTAL_INLINE void bandFaceNormals(int which, const Columns& ring, const Columns& next,
                                   std::uint32_t columns, Columns& faces) {
    const GridCorner* k = RingGrid::band[which];
    const Columns* rings[2] = {&ring, &next};
    faceNormals(from(*rings[k[0].ring], k[0].column), from(*rings[k[1].ring], k[1].column),
                from(*rings[k[2].ring], k[2].column), columns, into(faces));
}

// The face normals of a fan around `pole` on the ring at `ring`, cell c kept
// at index c + 1.
template <class Columns>
VEXTAL_INLINE void fanFaceNormals(Vec3 pole, const std::uint8_t (&fan)[2], const Columns& ring,
                                  std::uint32_t columns, Columns& scratch, Columns& faces) {
    fill(pole, columns, scratch);
    faceNormals(from(scratch), from(ring, fan[0]), from(ring, fan[1]), columns, into(faces, 1));
}

// normalizedOrKept() of the sums, whole blocks at a time, then written to a
// ring of normals.
template <class Columns>
VEXTAL_INLINE void normalizeInto(const Columns& sums, std::uint32_t count, Columns& unit,
                                 Vec3* __restrict out) {
    for (std::uint32_t first = 0; first < count; first += block)
        for (std::uint32_t j = first; j < first + block; ++j) {
            const float x = sums.x[j];
            const float y = sums.y[j];
            const float z = sums.z[j];
            const float length = std::sqrt(x * x + y * y + z * z);
            const bool divide = length > threshold;
            const float qx = x / length;
            const float qy = y / length;
            const float qz = z / length;
            unit.x[j] = divide ? qx : x;
            unit.y[j] = divide ? qy : y;
            unit.z[j] = divide ? qz : z;
        }
    for (std::uint32_t j = 0; j < count; ++j)
        out[j] = {unit.x[j], unit.y[j], unit.z[j]};
}

// One face normal added to every column j >= 1 of a ring: the normal at
// column j + shift of the faces.
template <class Columns> struct Term {
    const Columns* faces;
    int shift;
};
// One face normal added to column 0: the one at `index`.
template <class Columns> struct Pick {
    const Columns* faces;
    std::uint32_t index;
};

// The face normals a ring's vertices touch, each list in triangle order:
// columns 1 and up follow `terms`; column 0, whose left neighbour wraps to
// the end of the ring, follows `picks`.
template <class Columns> struct RingTerms {
    Term<Columns> terms[6];
    Pick<Columns> picks[6];
    int termCount = 0;
    int pickCount = 0;

    void term(const Columns& faces, int shift) { terms[termCount++] = {&faces, shift}; }
    void pick(const Columns& faces, std::uint32_t index) { picks[pickCount++] = {&faces, index}; }
};

// Each sum starts from +0, as the per-triangle code's zeroed normals do.
template <class Columns>
VEXTAL_INLINE void sumTerms(const RingTerms<Columns>& ring, std::uint32_t columns, Columns& sums) {
    for (std::uint32_t j = 1; j < columns; ++j)
        sums.x[j] = sums.y[j] = sums.z[j] = 0.0f;
    for (int t = 0; t < ring.termCount; ++t) {
        const Columns& f = *ring.terms[t].faces;
        const std::uint32_t first = std::uint32_t(1 + ring.terms[t].shift);
        const float* __restrict fx = f.x + first;
        const float* __restrict fy = f.y + first;
        const float* __restrict fz = f.z + first;
        float* __restrict sx = sums.x + 1;
        float* __restrict sy = sums.y + 1;
        float* __restrict sz = sums.z + 1;
        for (std::uint32_t k = 0; k + 1 < columns; ++k) {
            sx[k] += fx[k];
            sy[k] += fy[k];
            sz[k] += fz[k];
        }
    }
    float x = 0.0f, y = 0.0f, z = 0.0f;
    for (int t = 0; t < ring.pickCount; ++t) {
        const Pick<Columns>& p = ring.picks[t];
        x += p.faces->x[p.index];
        y += p.faces->y[p.index];
        z += p.faces->z[p.index];
    }
    sums.x[0] = x;
    sums.y[0] = y;
    sums.z[0] = z;
}

constexpr bool touches(const GridCorner (&triangle)[3], std::uint8_t ring, std::uint8_t column) {
    for (const GridCorner& corner : triangle)
        if (corner.ring == ring && corner.column == column)
            return true;
    return false;
}

constexpr bool touches(const std::uint8_t (&fan)[2], std::uint8_t column) {
    return fan[0] == column || fan[1] == column;
}

// The face normal arrays a ring's sums draw on.
enum Source : std::uint8_t { prevA, prevB, curA, curB, startFanFaces, endFanFaces };
constexpr bool isFan(std::uint8_t source) {
    return source >= startFanFaces;
}

// RingTerms with the arrays named by Source, and each pick as the first or
// the last cell: the same for every ring of a kind.
struct TermPattern {
    struct TermOf {
        std::uint8_t source;
        std::int8_t shift;
    } terms[6] = {};
    struct PickOf {
        std::uint8_t source;
        bool lastCell;
    } picks[6] = {};
    int termCount = 0;
    int pickCount = 0;
};

// Which triangles touch vertex (i, j), in triangle order, read off the grid's
// description. A band row touches ring i from its cells' ring 1 (the row
// between rings i - 1 and i, `below`) or ring 0 (the row between i and
// i + 1, `above`, which comes later). Within a row, column j >= 1 lies in
// cell j - 1 (at column offset 1) before cell j (offset 0); column 0 lies in
// cell 0 (offset 0) before the last cell (offset 1), the last pair of its
// row. Cell c's face normals are kept at index c. The caps follow the whole
// band, start and end fan triangle interleaved per cell, with cell c kept at
// index c + 1.
constexpr TermPattern gatherPattern(bool below, bool above, bool startFan, bool endFan) {
    struct Row {
        bool present;
        std::uint8_t ring;
        std::uint8_t faces[2];
    };
    const Row rows[] = {{below, 1, {prevA, prevB}}, {above, 0, {curA, curB}}};
    TermPattern pattern;
    for (const Row& row : rows) {
        if (!row.present)
            continue;
        for (const std::uint8_t offset : {1, 0})
            for (int t = 0; t < 2; ++t)
                if (touches(RingGrid::band[t], row.ring, offset))
                    pattern.terms[pattern.termCount++] = {row.faces[t], std::int8_t(-offset)};
        for (const std::uint8_t offset : {0, 1})
            for (int t = 0; t < 2; ++t)
                if (touches(RingGrid::band[t], row.ring, offset))
                    pattern.picks[pattern.pickCount++] = {row.faces[t], offset == 1};
    }
    struct Fan {
        bool present;
        const std::uint8_t (&columns)[2];
        std::uint8_t faces;
    };
    const Fan fans[] = {{startFan, RingGrid::startFan, startFanFaces},
                        {endFan, RingGrid::endFan, endFanFaces}};
    for (const std::uint8_t offset : {1, 0})
        for (const Fan& fan : fans)
            if (fan.present && touches(fan.columns, offset))
                pattern.terms[pattern.termCount++] = {fan.faces, std::int8_t(1 - offset)};
    for (const std::uint8_t offset : {0, 1})
        for (const Fan& fan : fans)
            if (fan.present && touches(fan.columns, offset))
                pattern.picks[pattern.pickCount++] = {fan.faces, offset == 1};
    return pattern;
}

// Every kind of ring, indexed by below + 2 above + 4 startFan + 8 endFan. The
// start fan lies on ring 0, which has no row below, and the end fan on the
// last ring, which has none above: those kinds never occur.
struct TermPatterns {
    TermPattern kinds[16];
};
constexpr TermPatterns termPatterns() {
    TermPatterns all;
    for (int kind = 0; kind < 16; ++kind) {
        const bool below = kind & 1, above = kind & 2, startFan = kind & 4, endFan = kind & 8;
        if (!(below && startFan) && !(above && endFan))
            all.kinds[kind] = gatherPattern(below, above, startFan, endFan);
    }
    return all;
}
constexpr TermPatterns patterns = termPatterns();

// The sums of a ring between two others and away from the caps, in one
// pass: the same terms as gatherTerms() gives, but known when compiling, so
// that every access is a fixed shift from one of four arrays.
template <class Columns>
VEXTAL_INLINE void sumInterior(const Columns* const (&sources)[6], std::uint32_t columns,
                               Columns& sums) {
    constexpr TermPattern p = patterns.kinds[1 + 2];
    static_assert(p.termCount == 6 && p.pickCount == 6);
    const Columns& a = *sources[p.terms[0].source];
    const Columns& b = *sources[p.terms[1].source];
    const Columns& c = *sources[p.terms[2].source];
    const Columns& d = *sources[p.terms[3].source];
    const Columns& e = *sources[p.terms[4].source];
    const Columns& f = *sources[p.terms[5].source];
    constexpr int sa = p.terms[0].shift, sb = p.terms[1].shift, sc = p.terms[2].shift;
    constexpr int sd = p.terms[3].shift, se = p.terms[4].shift, sf = p.terms[5].shift;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    for (const TermPattern::PickOf pick : p.picks) {
        const Columns& faces = *sources[pick.source];
        const std::uint32_t index = pick.lastCell ? columns - 1 : 0;
        x += faces.x[index];
        y += faces.y[index];
        z += faces.z[index];
    }
    sums.x[0] = x;
    sums.y[0] = y;
    sums.z[0] = z;
    for (std::uint32_t first = 1; first < columns; first += block)
        for (std::uint32_t j = first; j < first + block; ++j) {
            sums.x[j] = 0.0f + a.x[j + sa] + b.x[j + sb] + c.x[j + sc] + d.x[j + sd] + e.x[j + se] +
                        f.x[j + sf];
            sums.y[j] = 0.0f + a.y[j + sa] + b.y[j + sb] + c.y[j + sc] + d.y[j + sd] + e.y[j + se] +
                        f.y[j + sf];
            sums.z[j] = 0.0f + a.z[j + sa] + b.z[j + sb] + c.z[j + sc] + d.z[j + sd] + e.z[j + se] +
                        f.z[j + sf];
        }
}

// The terms of ring i: its kind's pattern on this ring's arrays.
template <class Columns>
VEXTAL_INLINE RingTerms<Columns> gatherTerms(const RingGrid& grid, std::uint32_t i,
                                             const Columns* const (&sources)[6]) {
    const bool capped = grid.capped;
    const int kind = (i > 0) + 2 * (i + 1 < grid.rings) + 4 * (capped && i == 0) +
                     8 * (capped && i + 1 == grid.rings);
    const TermPattern& pattern = patterns.kinds[kind];
    RingTerms<Columns> ring;
    for (int t = 0; t < pattern.termCount; ++t)
        ring.term(*sources[pattern.terms[t].source], pattern.terms[t].shift);
    for (int t = 0; t < pattern.pickCount; ++t) {
        const TermPattern::PickOf pick = pattern.picks[t];
        const std::uint32_t first = isFan(pick.source) ? 1 : 0;
        ring.pick(*sources[pick.source], pick.lastCell ? first + grid.columns - 1 : first);
    }
    return ring;
}

// A pole touches every triangle of its fan, in fan order.
template <class Columns> Vec3 poleNormal(const Columns& fan, std::uint32_t columns) {
    Vec3 sum{};
    for (std::uint32_t j = 1; j <= columns; ++j)
        sum += Vec3{fan.x[j], fan.y[j], fan.z[j]};
    return normalizedOrKept(sum);
}

// The normals of rings [first, end), and of the poles whose fans touch them.
// A block that does not start at ring 0 works out the face normals of the
// band row below its first ring again: the same bits its neighbour block gets.
// Every array the gathering works in. The viewer's path declares each as a
// variable of its own, so that the compiler knows they do not overlap; the
// wide kind keeps them together on the heap.
template <class Columns> struct Scratch {
    Columns rows[2], bands[4], startFan, endFan, scratch, sums, unit;
};
template <class Columns> struct ScratchOf {
    Columns (&rows)[2];
    Columns (&bands)[4];
    Columns &startFan, &endFan, &scratch, &sums, &unit;
};

// Whole: the block is the whole grid, known when compiling, so that the
// viewer's path carries no test for a block's edges.
template <class Columns, bool Whole>
VEXTAL_INLINE void gatherRings(const RingGrid& grid, const Vec3* vertices, Vec3* normals,
                               std::uint32_t first, std::uint32_t end, ScratchOf<Columns> work) {
    if constexpr (Whole) {
        first = 0;
        end = grid.rings;
    }
    const std::uint32_t rings = grid.rings;
    const std::uint32_t columns = grid.columns;
    auto [rows, bands, startFan, endFan, scratch, sums, unit] = work;
    for (Columns* c : {&rows[0], &rows[1], &bands[0], &bands[1], &bands[2], &bands[3], &startFan,
                       &endFan, &scratch, &sums, &unit})
        clear(*c, columns);
    Columns* ring = &rows[0]; // positions of ring i
    Columns* next = &rows[1]; // positions of ring i + 1
    // Face normals of the band row between rings i - 1 and i (prev) and
    // between rings i and i + 1 (cur); A and B are the cells' two triangles.
    Columns* prevA = &bands[0];
    Columns* prevB = &bands[1];
    Columns* curA = &bands[2];
    Columns* curB = &bands[3];

    // A block that does not start at ring 0 first passes over the ring
    // before it, for the face normals of the band row between them.
    const std::uint32_t start = first > 0 ? first - 1 : 0;
    loadRing(vertices + grid.vertex(start, 0), columns, *ring);
    const bool startCap = grid.capped && first == 0;
    const bool endCap = grid.capped && end == rings;
    if (startCap)
        fanFaceNormals(vertices[grid.startPole()], RingGrid::startFan, *ring, columns, scratch,
                       startFan);
    if (endCap) {
        loadRing(vertices + grid.vertex(rings - 1, 0), columns, *next);
        fanFaceNormals(vertices[grid.endPole()], RingGrid::endFan, *next, columns, scratch, endFan);
    }

    for (std::uint32_t i = start; i < end; ++i) {
        if (i + 1 < rings) {
            loadRing(vertices + grid.vertex(i + 1, 0), columns, *next);
            bandFaceNormals(0, *ring, *next, columns, *curA);
            bandFaceNormals(1, *ring, *next, columns, *curB);
        }
        if (i >= first) {
            const Columns* const sources[6] = {prevA, prevB, curA, curB, &startFan, &endFan};
            if (i > 0 && i + 1 < rings)
                sumInterior(sources, columns, sums);
            else
                sumTerms(gatherTerms(grid, i, sources), columns, sums);
            normalizeInto(sums, columns, unit, normals + grid.vertex(i, 0));
        }
        std::swap(ring, next);
        std::swap(prevA, curA);
        std::swap(prevB, curB);
    }

    if (endCap)
        normals[grid.endPole()] = poleNormal(endFan, columns);
    if (startCap)
        normals[grid.startPole()] = poleNormal(startFan, columns);
}

} // namespace

// The viewer's grids whole, and any grid by blocks of rings, each compiled
// once per instruction set (the clones are made per function, not per
// template).
VEXTAL_VECTOR_CLONES
void gatherNarrowGrid(const RingGrid& grid, const Vec3* vertices, Vec3* normals) {
    NarrowColumns rows[2], bands[4], startFan, endFan, scratch, sums, unit;
    gatherRings<NarrowColumns, true>(grid, vertices, normals, 0, grid.rings,
                                     {rows, bands, startFan, endFan, scratch, sums, unit});
}

VEXTAL_VECTOR_CLONES
void gatherWideRings(const RingGrid& grid, const Vec3* vertices, Vec3* normals, std::uint32_t first,
                     std::uint32_t end) {
    const auto w = std::make_unique<Scratch<WideColumns>>();
    gatherRings<WideColumns, false>(
        grid, vertices, normals, first, end,
        {w->rows, w->bands, w->startFan, w->endFan, w->scratch, w->sums, w->unit});
}

void ringGridNormals(const RingGrid& grid, const Vec3* vertices, Vec3* normals,
                     const Workers& workers) {
    assert(grid.gatherable());
    if (workers.threads <= 1 && grid.columns <= narrowColumns) {
        gatherNarrowGrid(grid, vertices, normals);
        return;
    }
    // Blocks of at least some 64 thousand vertices: a smaller one costs more
    // to hand to another thread than to work out.
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / grid.columns);
    forEachBlock(workers, grid.rings, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        if (first == 0 && end == grid.rings && grid.columns <= narrowColumns)
            gatherNarrowGrid(grid, vertices, normals);
        else
            gatherWideRings(grid, vertices, normals, first, end);
    });
}

} // namespace Vextal
