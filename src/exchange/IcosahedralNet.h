// The whole world cut into the unfolded net of an icosahedron: 20 triangles in three
// bands, ready to print and fold into a globe.
//
// For a picture W pixels wide: c = (W - 1) / 11 (half a triangle), count = (int)(10 c)
// pixels span 360 degrees of longitude, P(k) = k c, and the net is
// H = (int)(W x 1.5 x sqrt(3) x 2 / 11) rows high in three bands of H / 3 rows. Rows are
// independent and run on every core; the result does not depend on the thread count.
#pragma once

#include <cstdint>

namespace kv {

class VideoBuffer;

// The net's height for a width.
int IcosahedralNetHeight(int width);

// Fills `net` (already made W x H) from the equirectangular picture `sphere` (W x W/2):
// pixel (j, i) is the bilinear sample of `sphere` at (j, ((i x W) >> 1) / H). false when
// the widths differ or either picture is empty.
bool StretchToNet(const VideoBuffer& sphere, VideoBuffer& net, int threads = 0);

// Rewrites a 24- or 32-bit picture in place from the stretched picture into the net, the
// paper around the triangles in `background` (0x00BBGGRR, stored as given). Progress
// "Processing Icosahedral Projection" with a step and a poll per run of rows; an abort
// (kAbortValue) stops before the next run, leaving the rows not reached as they were,
// and the abort value is reset to 0 at the end. 0 when every row was done; -1 when the
// picture is refused (empty, 8-bit, or too narrow for one pixel of longitude) or aborted.
int RemapIcosahedral(VideoBuffer& buffer, uint32_t background, int threads = 0);

} // namespace kv
