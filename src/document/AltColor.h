// Colour-to-altitude lists: what each colour painted on the image overlays means (a
// contour at an altitude, a basin or peak running from its region's edge to its centre,
// or a level area with its own roughness), kept in ".acf" texts, and the conversion of a
// colour-coded picture into altitude and roughness grids.
#pragma once

#include "base/grid/Grid2D.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kv {

class CTokenizer;
class VideoBuffer;

struct AltColor {
    enum Kind : int { kBasin = 0, kContour = 1, kPeak = 2, kNone = 3 };

    uint32_t color = 0;       // 0x00BBGGRR, compared on the low 24 bits
    float altitude = 0.0f;    // metres
    float altitude2 = 0.0f;   // basin low / peak high at the region's centre, metres
    float roughness = 0.001f;
    float exponent = 1.0f;
    int kind = kContour;

    // "Basin", "Contour", "Peak", "None" (the empty text for another kind).
    static const char* KindName(int kind);

    // Edits the entry through the installed editor (altitudes shown in feet when the
    // units are imperial and converted back on OK); the editor's result (1 OK, 2 Cancel).
    int Edit();
    // One line "Color r,g,b, altitude, kind, altitude2, roughness".
    int Write(std::FILE* file, const CTokenizer& tokenizer) const;
    // Reads an entry whose "Color" is the current token; -1 when it is not, -2 when a value
    // does not parse or is not finite (the entry is then unchanged).
    int Parse(CTokenizer& tokenizer);
};

// The window side's entry editor; the default answers Cancel.
class AltColorEditor {
public:
    virtual ~AltColorEditor() = default;
    // Shows the entry (altitudes in display units); 1 when the user confirmed it.
    virtual int Edit(AltColor& shown, bool metric) = 0;
};
// Installs the editor (null: the default) and returns the previous one.
AltColorEditor* SetAltColorEditor(AltColorEditor* editor);

class AltColorList : public std::vector<AltColor> {
public:
    using std::vector<AltColor>::vector;

    int Write(std::FILE* file, const CTokenizer& tokenizer) const;
    // Saved whole or not at all: 0, or -1 when the file cannot be written.
    int SaveToFile(const std::string& path) const;
    // Reads entries from the current token until "EndList", the end, or a token that does
    // not start an entry: 0, -2 when an entry's values do not parse (the list unchanged).
    int Parse(CTokenizer& tokenizer);
    // -1 when the file cannot be opened, -2 when an entry does not parse, -3 when the file
    // holds neither "AltColor" nor an entry; the list is unchanged on every failure.
    int LoadFromFile(const std::string& path);
    // The last entry whose colour matches on the low 24 bits.
    bool FindByColor(uint32_t color, AltColor& out) const;
};

// Writes the colour-coded picture's terrain into `altitude` and `roughness` (float grids
// of the picture's size; roughness zeroed by the caller). A pixel is painted when its
// 0xAABBGGRR value exceeds 0xFFFFFF. `reach` is the deterrace direction count. True when
// completed, false when Esc stopped it (the grids partly written) or the grids do not fit.
bool ColorToAltitude(const VideoBuffer& picture, const AltColorList& list, Grid2D& altitude, Grid2D& roughness,
                     int reach);

} // namespace kv
