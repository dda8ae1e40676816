#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Vextal {

// Calls `vertex` with each vertex of an SVG path's data ("M 0 0 L 10 0 h 5
// v 5 z"), relative commands made absolute. Only straight segments are read:
// M, L, H, V and Z in either case. Returns an empty string when all was
// read, else why not (a curve command, named; a number missing).
std::string readPathData(std::string_view data, const std::function<void(double, double)>& vertex);

// The same for the points attribute of a polyline or a polygon: x,y pairs.
std::string readPointList(std::string_view data, const std::function<void(double, double)>& vertex);

} // namespace Vextal
