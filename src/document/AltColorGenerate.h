// The colour-to-altitude list's texts and its Generate step: the document's overlays are
// composited into a picture of the world grid's size, converted by ColorToAltitude and
// written into the land-offset and roughness channels under the painted pixels.
#pragma once

#include "document/AltColor.h"

#include <string>

namespace kv {

class CKVDoc;
class VideoBuffer;

// A list row: "%02X%02X%02X" of red, green, blue; altitude "%0.1lf" in the display unit;
// the operation ("Contour" for an unknown kind).
std::string AltColorHexText(uint32_t color);
std::string AltColorAltitudeText(const AltColor& entry, bool metric);
std::string AltColorOperationText(int kind);

// The overlays at value 0 on the world grid: pixel (column j, row i) at longitude
// j / w x 360 - 180 and latitude i x 180 / (h - 1) - 90, the latitude of channel row i.
// Rows are spread over `threads` (<= 0: all cores), with identical results. -1 when
// aborted (progress "Calculating overlay image"), else 0.
int CompositeOverlayImage(const CKVDoc& doc, VideoBuffer& image, int threads = 0);

// Generate: 0 when the world was rewritten (basis id 1, shaping off, the new basis
// current, channels 1 and 0 from the altitude and scale grids where the picture is
// painted, hint 16, document modified); -1 aborted or the conversion failed (world
// unchanged); -2 without a world grid or memory.
int GenerateFromOverlays(CKVDoc& doc, const AltColorList& list, int threads = 0);

} // namespace kv
