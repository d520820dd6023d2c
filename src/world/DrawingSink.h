// The sink of the vector-drawing export: a trace sink that writes every polyline it
// receives into the drawing as one entity, with the pen settings in force.
//
// The layers that write into it (rivers, grids) set its pen before tracing: the two colour
// fields take the drawing palette index nearest to the line's colour (FindNearestPaletteIndex).
#pragma once

#include "world/LineSubdivision.h"

#include <cstdint>

namespace kv {

struct DrawingPen {
    int colour[2] = {0, 0};        // drawing palette indices: line and fill colour
    int styleFlag[2] = {0, 0};     // the two line-style switches
    double width[2] = {0.0, 0.0};  // the two line widths
    int extra = 0;                 // the further pen field
    uint8_t lineWidth = 0;         // pen width byte of the entities (low byte of a line width)

    bool operator==(const DrawingPen&) const = default;
};

class DrawingSink : public TraceCallback {
public:
    DrawingPen pen;
};

} // namespace kv
