// Iso-lines of a float grid, traced cell by cell (marching squares) and handed to a trace
// sink as polylines in grid units (x = column, y = row, each + 0.01).
//
// Cell (row i, column j) has the corners c0 = g[i][j], c1 = g[i][j+1], c2 = g[i+1][j+1],
// c3 = g[i+1][j] and the edges 0 (top, c0-c1), 1 (right, c1-c2), 2 (bottom, c2-c3) and
// 3 (left, c3-c0). An edge is crossed by level x when x lies in [a, b) or [b, a) of its
// corner values, that is when exactly one corner lies above x; the crossing point divides
// the edge linearly. A cell crossed on four edges (a saddle) pairs them by the mean of its
// corners.
//
// Every crossed edge is written once: the tracer marks the edges it has passed and stops a
// line at an edge already marked (adding that edge's point so that the pieces meet). A line
// is closed only when it comes back to the edge it started on; a line that reaches
// `maxPoints` points is handed over and continues as the next one, from its last point.
// Every cell of the grid is scanned for starts, and a cell may start more than one line
// (the two pairs of a saddle).
#pragma once

#include "base/grid/Grid2D.h"
#include "world/LineSubdivision.h"

#include <functional>
#include <vector>

namespace kv {

class VideoBuffer;

// Codes of TraceContours besides the sink's own negative answers.
constexpr int kTraceNoMemory = -100;
constexpr int kTraceBadGrid = -101;

// Traces every line of `level` through the width x height grid and gives each line of at
// least two points to `sink`. `visited` (a byte grid of the same size; made when null or
// of another size) holds the edge marks; `points` (made when null) the line being traced.
// `mask`: no line starts in a cell whose mask pixel (column j, row i) is 0. maxPoints below
// 2 counts as 2. Returns 0; the sink's negative answer, which stops the trace; or one of
// the codes above.
int TraceContours(TraceCallback& sink, GridRows<const float> grid, double level, int width, int height,
                  Grid2D* visited, line_pts* points, int maxPoints, const VideoBuffer* mask);

// Several levels of one grid: traced in parallel (threads <= 0: every core), each level
// into a list of its own, then handed to `deliver` in level order, once per level (also
// for a level without lines), on the calling thread. The lines are those TraceContours
// gives for the level, in its order. Returns 0, the first negative answer of `deliver`
// (which stops the delivery) or kTraceNoMemory / kTraceBadGrid.
using LevelLinesSink = std::function<int(int levelIndex, const std::vector<line_pts>& lines)>;
int TraceContourLevels(const std::vector<double>& levels, GridRows<const float> grid, int width, int height,
                       int maxPoints, const VideoBuffer* mask, const LevelLinesSink& deliver, int threads = 0);

} // namespace kv
