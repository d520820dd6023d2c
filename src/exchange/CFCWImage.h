// The drawing export: the map of a view written as an FCW vector drawing for the PW2
// mapping program, driven by an export definition (PW2Output).
//
// The map is rendered off-screen at the raster size (resolution x 128 cells wide, the
// definition's drawing aspect), every inner cell is sampled for temperature, rainfall,
// altitude and climate class, and the layers the definition asks for are traced from
// those grids: climate, rainfall and temperature contours, altitude contours with the
// definition's grids between their bands and their labels, rivers, the sea, the remaining
// grids, the scale bar, the colour bars, the title block, the border and, in an atlas,
// the links to the neighbouring, parent and child maps. North is up: the top row of the
// raster lies at the top of the drawing.
#pragma once

#include "view/CRawImage.h"

#include <string>

namespace kv {

class CKVDoc;
class PW2Output;
struct MultiMapSettings;

class CFCWImage : public CRawImage {
public:
    // Raster sides the export accepts.
    static constexpr int kMinRasterSide = 3;
    static constexpr int kMaxRasterSide = 8192;
    // Levels above this many in one layer skip the layer.
    static constexpr long long kMaxLevels = 100000;
    // The longest traced line handed to the drawing.
    static constexpr int kMaxTracePoints = 20000;

    CFCWImage() = default;
    explicit CFCWImage(SurfaceSampler* source) : CRawImage(source) {}

    // Writes the whole drawing to `path`. `document` gives the rivers (may be null);
    // `atlas` is null for a single drawing. 0 when done; -1 when the raster size is
    // unusable or the file cannot be written (nothing replaces the target), or when the
    // user aborted (what was written is kept, its groups closed).
    int WriteMap(const std::string& path, CKVDoc* document, const PW2Output& settings,
                 const MultiMapSettings* atlas);

    // The buffers at the raster size and the own sampler bound to them, with no pixel
    // computed: the drawing samples its grids and its mask itself. 0; -2 no sampler; -3
    // the buffers refused the size.
    int PrepareSampling();
};

// "%c%03x%03x": 'B' + level, then column and row masked to 15 bits; the base name of a
// map file in an atlas (the root, level -1, is "A000000").
std::string FormatLinkName(int column, int row, int level);

// The colour-bar label step: c = |b - a| rounded down to its leading digit (s); with
// `widen` and c + s/2 > 2s, 2s. An empty or undefined range gives 1.
double RoundStep(double a, double b, bool widen);

} // namespace kv
