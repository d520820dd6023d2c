// Row colours (0x00BBGGRR) of the colour bars and the lighting scheme preview: every pixel
// of a row takes the row's colour, so a bar is described by one colour per row.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

class CColorList;
class LightParms;

// Fewer rows than this make no bar: the bar stays blank (an empty result).
constexpr int kMinColorBarRows = 4;

// Row i from the top shows the list at t = 1 - i / (height - 1), sampled at the nearest
// stop so that each stop shows as a band; the list's own mode is left as it was.
std::vector<uint32_t> ColorBarRowColors(const CColorList& list, int height);

// The scheme preview: the upper height/2 rows show the land list at 1 - i / (height/2 - 1),
// the rows from the middle down show the sea list at 1 - i / (height - 1), i counted from
// the middle; both at the nearest stop.
std::vector<uint32_t> SchemePreviewRowColors(const LightParms& light, int height);

} // namespace kv
