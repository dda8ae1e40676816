#include "mesh/FaceNormal.h"
#include "mesh/RingGrid.h"
#include "mesh/VectorClones.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

// The loops below are written one coordinate array at a time so that the
// compiler can run them on vector registers, in every clone (VectorClones.h).
#define VEXTAL_INLINE inline __attribute__((always_inline))

namespace Vextal {

namespace {

// For a float x, double(x) > 3e-17 holds exactly when x > this float: 3e-17
// lies strictly between two floats, and this is the lower one.
constexpr float floatThreshold() {
    const float nearest = static_cast<float>(normalLengthThreshold);
    if (static_cast<double>(nearest) > normalLengthThreshold)
        return std::bit_cast<float>(std::bit_cast<std::uint32_t>(nearest) - 1u);
    return nearest;
}
constexpr float threshold = floatThreshold();
static_assert(static_cast<double>(threshold) <= normalLengthThreshold);
static_assert(static_cast<double>(std::bit_cast<float>(std::bit_cast<std::uint32_t>(threshold) + 1u)) >
              normalLengthThreshold);

// The main loops run over whole blocks of columns, so that no lane is left
// to a scalar remainder loop; the lanes past the last column compute values
// nobody reads.
constexpr std::uint32_t block = 16;
std::uint32_t blocksOf(std::uint32_t columns) { return (columns + block - 1) / block * block; }

// Room for the widest ring rounded up to whole blocks, plus one column: a
// ring's column 0 is repeated after its last column, so that "the next
// column" needs no modulo.
constexpr std::uint32_t width = (RingGrid::maxColumns + block) / block * block + block;

// Three floats per column, one array per coordinate: positions of a ring, or
// face normals indexed by column.
struct Columns {
    alignas(64) float x[width];
    alignas(64) float y[width];
    alignas(64) float z[width];
};

// Lanes that the loops below read or write for a ring of `columns`: whole
// blocks, shifted by up to one column (the repeated column 0, the fans kept
// from index 1).
std::uint32_t lanesFor(std::uint32_t columns) { return blocksOf(columns) + block; }

// Zeroes the lanes a ring of `columns` uses, so that the lanes past the last
// column hold determinate values: only those, since a small grid would
// otherwise spend more time clearing than computing.
void clear(Columns& c, std::uint32_t columns) {
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
In from(const Columns& c, std::uint32_t offset = 0) {
    return {c.x + offset, c.y + offset, c.z + offset};
}
Out into(Columns& c, std::uint32_t offset = 0) { return {c.x + offset, c.y + offset, c.z + offset}; }

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

VEXTAL_INLINE void fill(Vec3 p, std::uint32_t columns, Columns& row) {
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

// normalizedOrKept() of the sums, whole blocks at a time, then written to a
// ring of normals.
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
struct Term {
    const Columns* faces;
    int shift;
};
// One face normal added to column 0: the one at `index`.
struct Pick {
    const Columns* faces;
    std::uint32_t index;
};

// The face normals a ring's vertices touch, each list in triangle order:
// columns 1 and up follow `terms`; column 0, whose left neighbour wraps to
// the end of the ring, follows `picks`.
struct RingTerms {
    Term terms[6];
    Pick picks[6];
    int termCount = 0;
    int pickCount = 0;

    void term(const Columns& faces, int shift) { terms[termCount++] = {&faces, shift}; }
    void pick(const Columns& faces, std::uint32_t index) { picks[pickCount++] = {&faces, index}; }
};

// Each sum starts from +0, as the per-triangle code's zeroed normals do.
VEXTAL_INLINE void sumTerms(const RingTerms& ring, std::uint32_t columns, Columns& sums) {
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
        const Pick& p = ring.picks[t];
        x += p.faces->x[p.index];
        y += p.faces->y[p.index];
        z += p.faces->z[p.index];
    }
    sums.x[0] = x;
    sums.y[0] = y;
    sums.z[0] = z;
}

// The same sums for a ring between two others and away from the caps, in one
// pass: the terms of gatherTerms() with both bands present.
VEXTAL_INLINE void sumInterior(const Columns& prevA, const Columns& prevB, const Columns& curA,
                               const Columns& curB, std::uint32_t columns, Columns& sums) {
    const std::uint32_t last = columns - 1;
    sums.x[0] = 0.0f + prevA.x[0] + prevA.x[last] + prevB.x[last] + curA.x[0] + curB.x[0] +
                curB.x[last];
    sums.y[0] = 0.0f + prevA.y[0] + prevA.y[last] + prevB.y[last] + curA.y[0] + curB.y[0] +
                curB.y[last];
    sums.z[0] = 0.0f + prevA.z[0] + prevA.z[last] + prevB.z[last] + curA.z[0] + curB.z[0] +
                curB.z[last];
    for (std::uint32_t first = 1; first < columns; first += block)
    for (std::uint32_t j = first; j < first + block; ++j) {
        sums.x[j] = 0.0f + prevA.x[j - 1] + prevB.x[j - 1] + prevA.x[j] + curB.x[j - 1] +
                    curA.x[j] + curB.x[j];
        sums.y[j] = 0.0f + prevA.y[j - 1] + prevB.y[j - 1] + prevA.y[j] + curB.y[j - 1] +
                    curA.y[j] + curB.y[j];
        sums.z[j] = 0.0f + prevA.z[j - 1] + prevB.z[j - 1] + prevA.z[j] + curB.z[j - 1] +
                    curA.z[j] + curB.z[j];
    }
}

// Which triangles touch vertex (i, j), in triangle order. The band row
// between rings i - 1 and i holds, per column c, triangle A = (i-1 c, i c,
// i c+1) then B = (i-1 c, i c+1, i-1 c+1): vertex (i, j) is in A and B of
// column j - 1 and in A of column j. The band row between rings i and i + 1
// comes later: B of column j - 1, then A and B of column j. For column 0,
// "column j - 1" is the last column, the last pair of its row. The caps
// follow the whole band, fan triangle by fan triangle, start and end fan
// interleaved: ring 0 vertex j is in start triangles j and j + 1, the last
// ring's vertex j in end triangles j and j + 1 (for j = 0: 1 and columns).
RingTerms gatherTerms(const RingGrid& grid, std::uint32_t i, const Columns* prevA,
                      const Columns* prevB, const Columns* curA, const Columns* curB,
                      const Columns& startFan, const Columns& endFan) {
    const std::uint32_t last = grid.columns - 1;
    RingTerms ring;
    if (i > 0) {
        ring.term(*prevA, -1), ring.term(*prevB, -1), ring.term(*prevA, 0);
        ring.pick(*prevA, 0), ring.pick(*prevA, last), ring.pick(*prevB, last);
    }
    if (i + 1 < grid.rings) {
        ring.term(*curB, -1), ring.term(*curA, 0), ring.term(*curB, 0);
        ring.pick(*curA, 0), ring.pick(*curB, 0), ring.pick(*curB, last);
    }
    if (!grid.capped)
        return ring;
    const bool first = i == 0;
    const bool lastRing = i + 1 == grid.rings;
    if (first && lastRing) {
        ring.term(startFan, 0), ring.term(endFan, 0), ring.term(startFan, 1), ring.term(endFan, 1);
        ring.pick(startFan, 1), ring.pick(endFan, 1);
        ring.pick(startFan, grid.columns), ring.pick(endFan, grid.columns);
    } else if (first) {
        ring.term(startFan, 0), ring.term(startFan, 1);
        ring.pick(startFan, 1), ring.pick(startFan, grid.columns);
    } else if (lastRing) {
        ring.term(endFan, 0), ring.term(endFan, 1);
        ring.pick(endFan, 1), ring.pick(endFan, grid.columns);
    }
    return ring;
}

// A pole touches every triangle of its fan, in fan order.
Vec3 poleNormal(const Columns& fan, std::uint32_t columns) {
    Vec3 sum{};
    for (std::uint32_t j = 1; j <= columns; ++j)
        sum += Vec3{fan.x[j], fan.y[j], fan.z[j]};
    return normalizedOrKept(sum);
}

} // namespace

VEXTAL_VECTOR_CLONES
void ringGridNormals(const RingGrid& grid, const Vec3* vertices, Vec3* normals) {
    const std::uint32_t rings = grid.rings;
    const std::uint32_t columns = grid.columns;
    Columns rows[2], bands[4], startFan, endFan, scratch, sums, unit;
    for (Columns* c : {&rows[0], &rows[1], &bands[0], &bands[1], &bands[2], &bands[3], &startFan,
                       &endFan, &scratch, &sums, &unit})
        clear(*c, columns);
    Columns* ring = &rows[0]; // positions of ring i
    Columns* next = &rows[1]; // positions of ring i + 1
    // Face normals of the band row between rings i - 1 and i (prev) and
    // between rings i and i + 1 (cur); A and B are the two triangles of a column.
    Columns* prevA = &bands[0];
    Columns* prevB = &bands[1];
    Columns* curA = &bands[2];
    Columns* curB = &bands[3];

    loadRing(vertices, columns, *ring);
    const std::uint32_t endPole = rings * columns;
    if (grid.capped) {
        // Fan triangle j (1 to columns) of each pole is kept at index j.
        fill(vertices[endPole + 1], columns, scratch);
        faceNormals(from(scratch), from(*ring), from(*ring, 1), columns, into(startFan, 1));
        loadRing(vertices + (rings - 1) * columns, columns, *next);
        fill(vertices[endPole], columns, scratch);
        faceNormals(from(scratch), from(*next, 1), from(*next), columns, into(endFan, 1));
    }

    for (std::uint32_t i = 0; i < rings; ++i) {
        const bool hasCur = i + 1 < rings;
        if (hasCur) {
            loadRing(vertices + (i + 1) * columns, columns, *next);
            faceNormals(from(*ring), from(*next), from(*next, 1), columns, into(*curA));
            faceNormals(from(*ring), from(*next, 1), from(*ring, 1), columns, into(*curB));
        }
        if (i > 0 && hasCur)
            sumInterior(*prevA, *prevB, *curA, *curB, columns, sums);
        else
            sumTerms(gatherTerms(grid, i, prevA, prevB, curA, curB, startFan, endFan), columns,
                     sums);
        normalizeInto(sums, columns, unit, normals + i * columns);
        std::swap(ring, next);
        std::swap(prevA, curA);
        std::swap(prevB, curB);
    }

    if (grid.capped) {
        normals[endPole] = poleNormal(endFan, columns);
        normals[endPole + 1] = poleNormal(startFan, columns);
    }
}

} // namespace Vextal
