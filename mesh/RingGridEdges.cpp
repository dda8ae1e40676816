#include "mesh/MeshEdges.h"

#include <cassert>

namespace Vextal {

namespace {

// A ring grid's edges, read off its description: which edges a band cell or
// a fan step draws for the last time depends only on where it sits, and is
// worked out when compiling for every such place.

// A point relative to a band cell or a fan step: ring and column offsets,
// which lie outside 0..1 when a corner is seen from a neighbouring cell; a
// fan's pole has the column `pole`.
struct Point {
    int ring;
    int column;
};
constexpr int pole = -1;

constexpr bool same(Point a, Point b) {
    return a.ring == b.ring && a.column == b.column;
}
constexpr Point pointOf(GridCorner c) {
    return {c.ring, c.column};
}

struct Edge {
    Point from;
    Point to;
};
constexpr bool sameEdge(Edge a, Edge b) {
    return (same(a.from, b.from) && same(a.to, b.to)) || (same(a.from, b.to) && same(a.to, b.from));
}

// The edges one cell or fan step draws for the last time, in drawing order.
struct OwnedEdges {
    Edge edges[6] = {};
    int count = 0;
};

// Edge k of band triangle t: corner k to corner k + 1.
constexpr Edge bandEdge(int t, int k) {
    return {pointOf(RingGrid::band[t][k]), pointOf(RingGrid::band[t][(k + 1) % 3])};
}

constexpr bool isBandEdge(Edge e) {
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k)
            if (sameEdge(e, bandEdge(t, k)))
                return true;
    return false;
}

// Where a cell sits decides which of its neighbours come after it: the
// whole row above (when there is one), and in its own row the cell on its
// right, except for the last cell, whose right neighbour is the first; the
// first cell's left neighbour is the last cell, which comes after it.
enum ColumnPlace { firstColumn, middleColumn, lastColumn };

struct CellPlace {
    bool rowAbove;
    // Whether a fan, which comes after the whole band, runs along ring 0 of
    // the cell (the start fan, on the first row) or along its ring 1 (the
    // end fan, on the last row).
    bool fanOnRing0;
    bool fanOnRing1;
    ColumnPlace column;
};

constexpr bool neighbourComesLater(int dr, int dc, const CellPlace& place) {
    if (dr != 0)
        return dr > 0 && place.rowAbove;
    return dc > 0 ? place.column != lastColumn : place.column == firstColumn;
}

constexpr bool alongRing(Edge e, int ring) {
    return e.from.ring == ring && e.to.ring == ring;
}

// The band edges cell (i, c) draws last: those no later triangle of the
// cell has, nor a neighbouring cell that comes after it, nor a fan.
constexpr OwnedEdges ownedByCell(CellPlace place) {
    OwnedEdges owned;
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            const Edge e = bandEdge(t, k);
            bool last =
                !(place.fanOnRing0 && alongRing(e, 0)) && !(place.fanOnRing1 && alongRing(e, 1));
            for (int later = 3 * t + k + 1; later < 6; ++later)
                last = last && !sameEdge(e, bandEdge(later / 3, later % 3));
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const Edge seen{{e.from.ring - dr, e.from.column - dc},
                                    {e.to.ring - dr, e.to.column - dc}};
                    if ((dr != 0 || dc != 0) && isBandEdge(seen) &&
                        neighbourComesLater(dr, dc, place))
                        last = false;
                }
            if (last)
                owned.edges[owned.count++] = e;
        }
    return owned;
}

// [rowAbove][fan on ring 0][fan on ring 1][column place]
struct CellTable {
    OwnedEdges kinds[2][2][2][3];
};
constexpr CellTable cellTable() {
    CellTable table;
    for (int above = 0; above < 2; ++above)
        for (int ring0 = 0; ring0 < 2; ++ring0)
            for (int ring1 = 0; ring1 < 2; ++ring1)
                for (int column = 0; column < 3; ++column)
                    table.kinds[above][ring0][ring1][column] =
                        ownedByCell({above == 1, ring0 == 1, ring1 == 1, ColumnPlace(column)});
    return table;
}
constexpr CellTable cellEdges = cellTable();

// A fan step spans two neighbouring columns, and the band draws every
// ring's edges between neighbouring columns before the fans.
constexpr bool spansNeighbours(const std::uint8_t (&fan)[2]) {
    return (fan[0] == 0 && fan[1] == 1) || (fan[0] == 1 && fan[1] == 0);
}
static_assert(spansNeighbours(RingGrid::startFan) && spansNeighbours(RingGrid::endFan));
static_assert(isBandEdge({{0, 0}, {0, 1}}) && isBandEdge({{1, 0}, {1, 1}}));

// The edges fan step c draws last. A spoke to column offset 0 is the
// previous step's spoke to offset 1, which comes later only at the first
// step (the previous is the last step); a spoke to offset 1 is the next
// step's, which comes later except at the last step (the next is step 0).
// `ringEdge` says whether the step's edge along the ring is drawn last here.
constexpr OwnedEdges ownedByFanStep(const std::uint8_t (&fan)[2], bool ringEdge,
                                    ColumnPlace place) {
    const Point points[3] = {{0, pole}, {0, fan[0]}, {0, fan[1]}};
    OwnedEdges owned;
    for (int k = 0; k < 3; ++k) {
        const Edge e{points[k], points[(k + 1) % 3]};
        const bool spoke = e.from.column == pole || e.to.column == pole;
        const int column = e.from.column == pole ? e.to.column : e.from.column;
        const bool last =
            spoke ? (column == 0 ? place != firstColumn : place == lastColumn) : ringEdge;
        if (last)
            owned.edges[owned.count++] = e;
    }
    return owned;
}

// The start fan's ring edge is drawn last by it unless the grid has one
// ring, whose end fan comes just after it along the same ring; the end fan
// draws its ring edge last always. [ring edge drawn last here][place]
constexpr OwnedEdges startFanEdges[2][3] = {
    {ownedByFanStep(RingGrid::startFan, false, firstColumn),
     ownedByFanStep(RingGrid::startFan, false, middleColumn),
     ownedByFanStep(RingGrid::startFan, false, lastColumn)},
    {ownedByFanStep(RingGrid::startFan, true, firstColumn),
     ownedByFanStep(RingGrid::startFan, true, middleColumn),
     ownedByFanStep(RingGrid::startFan, true, lastColumn)},
};
constexpr OwnedEdges endFanEdges[3] = {ownedByFanStep(RingGrid::endFan, true, firstColumn),
                                       ownedByFanStep(RingGrid::endFan, true, middleColumn),
                                       ownedByFanStep(RingGrid::endFan, true, lastColumn)};

ColumnPlace placeOf(std::uint32_t c, std::uint32_t columns) {
    return c == 0 ? firstColumn : c + 1 == columns ? lastColumn : middleColumn;
}

// The band edges of cell (i, c), generally: any place, wrapping columns.
std::uint32_t* writeCell(const RingGrid& grid, std::uint32_t i, std::uint32_t c,
                         const OwnedEdges& owned, std::uint32_t* out) {
    for (int e = 0; e < owned.count; ++e) {
        const Edge& edge = owned.edges[e];
        *out++ = grid.vertex(i + edge.from.ring, grid.column(c, edge.from.column));
        *out++ = grid.vertex(i + edge.to.ring, grid.column(c, edge.to.column));
    }
    return out;
}

// A cell away from the ends of its row, where no column wraps, is its first
// vertex plus fixed offsets. All twelve are written whatever the count, so
// the loop has no branch; the array has room past its end for that.
constexpr int slack = 12;
struct CellOffsets {
    std::uint32_t values[slack] = {};
    int count = 0;
};
CellOffsets offsetsOf(const RingGrid& grid, const OwnedEdges& owned) {
    CellOffsets offsets;
    for (int e = 0; e < owned.count; ++e) {
        const Edge& edge = owned.edges[e];
        offsets.values[2 * e] = grid.vertex(edge.from.ring, edge.from.column);
        offsets.values[2 * e + 1] = grid.vertex(edge.to.ring, edge.to.column);
    }
    offsets.count = 2 * owned.count;
    return offsets;
}

std::uint32_t* writeMiddleCells(const RingGrid& grid, std::uint32_t i, const CellOffsets& offsets,
                                std::uint32_t* out) {
    for (std::uint32_t c = 1; c + 1 < grid.columns; ++c) {
        const std::uint32_t first = grid.vertex(i, c);
        for (int k = 0; k < slack; ++k)
            out[k] = first + offsets.values[k];
        out += offsets.count;
    }
    return out;
}

const OwnedEdges (&rowEdges(const RingGrid& grid, std::uint32_t i))[3] {
    const bool lastRow = i + 2 == grid.rings;
    return cellEdges.kinds[!lastRow][grid.capped && i == 0][grid.capped && lastRow];
}

std::uint32_t* writeFans(const RingGrid& grid, std::uint32_t* out) {
    const std::uint32_t lastRing = grid.rings - 1;
    auto point = [&](Point p, std::uint32_t c, std::uint32_t polar, std::uint32_t ring) {
        return p.column == pole ? polar : grid.vertex(ring, grid.column(c, p.column));
    };
    for (std::uint32_t c = 0; c < grid.columns; ++c) {
        const ColumnPlace place = placeOf(c, grid.columns);
        const OwnedEdges& start = startFanEdges[grid.rings > 1][place];
        for (int e = 0; e < start.count; ++e) {
            *out++ = point(start.edges[e].from, c, grid.startPole(), 0);
            *out++ = point(start.edges[e].to, c, grid.startPole(), 0);
        }
        const OwnedEdges& end = endFanEdges[place];
        for (int e = 0; e < end.count; ++e) {
            *out++ = point(end.edges[e].from, c, grid.endPole(), lastRing);
            *out++ = point(end.edges[e].to, c, grid.endPole(), lastRing);
        }
    }
    return out;
}

std::size_t edgeCount(const RingGrid& grid) {
    std::size_t count = 0;
    for (std::uint32_t i = 0; i + 1 < grid.rings; ++i) {
        const OwnedEdges(&row)[3] = rowEdges(grid, i);
        count += row[firstColumn].count + std::size_t(grid.columns - 2) * row[middleColumn].count +
                 row[lastColumn].count;
    }
    if (grid.capped)
        for (std::uint32_t c = 0; c < grid.columns; ++c) {
            const ColumnPlace place = placeOf(c, grid.columns);
            count += startFanEdges[grid.rings > 1][place].count + endFanEdges[place].count;
        }
    return count;
}

} // namespace

void ringGridEdges(const RingGrid& grid, std::vector<std::uint32_t>& edges) {
    assert(grid.rings >= 1 && grid.columns >= RingGrid::minColumns);
    const std::size_t count = edgeCount(grid);
    edges.resize(2 * count + slack);
    std::uint32_t* out = edges.data();
    for (std::uint32_t i = 0; i + 1 < grid.rings; ++i) {
        const OwnedEdges(&row)[3] = rowEdges(grid, i);
        out = writeCell(grid, i, 0, row[firstColumn], out);
        out = writeMiddleCells(grid, i, offsetsOf(grid, row[middleColumn]), out);
        out = writeCell(grid, i, grid.columns - 1, row[lastColumn], out);
    }
    if (grid.capped)
        out = writeFans(grid, out);
    assert(out == edges.data() + 2 * count);
    edges.resize(2 * count);
}

} // namespace Vextal
