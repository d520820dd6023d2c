// The object of the view update hints that move the map (3, 4, 5, 7, 9, 11): two doubles
// (a position, offsets or a factor) and two pixel points.
#pragma once

namespace kv {

struct TwoPtHint {
    double a = 0.0;
    double b = 0.0;
    int x1 = 0, y1 = 0;
    int x2 = 0, y2 = 0;
};

} // namespace kv
