// Colour gradients: an ordered list of colour stops (stop 0 at value 0, the last at
// value 1, evenly spaced) with an interpolation mode and an exponent that bends the
// input. Colours are 0x00BBGGRR (red in the low byte). Lists are archived as ".bcl"
// content and written as a "ColorList" ... "ColorListEnd" keyword block in the text
// settings files. The 256-colour PW2 palette of the drawing export lives here too,
// because lists can be snapped to it and stop colours are picked from it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kv {

class CArchive;
class CTokenizer;

constexpr uint32_t ColorOf(int r, int g, int b)
{
    return static_cast<uint32_t>(r & 0xFF) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           (static_cast<uint32_t>(b & 0xFF) << 16);
}
constexpr int RedOf(uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

// One stop: a name, a colour and a flag byte carried with the colour. The swatch a
// window draws for the stop belongs to the window side.
class CColorEntry {
public:
    static constexpr int32_t kRecordMark = 256;

    CColorEntry() = default;
    explicit CColorEntry(uint32_t colour) : m_colour(colour) {}
    // Copies carry the colour and the flag; the copy's name stays empty.
    CColorEntry(const CColorEntry& other) : m_colour(other.m_colour), m_flag(other.m_flag) {}
    CColorEntry& operator=(const CColorEntry& other)
    {
        m_colour = other.m_colour;
        m_flag = other.m_flag;
        return *this;
    }
    // Moving (inside the list) keeps the name.
    CColorEntry(CColorEntry&&) noexcept = default;
    CColorEntry& operator=(CColorEntry&&) noexcept = default;

    // One ".bcl" stop record: int32 256, the name as an archive string, int32 colour.
    // A record whose mark is not 256 raises the archive error.
    void Serialize(CArchive& ar);

    uint32_t Color() const { return m_colour; }
    void SetColor(uint32_t colour) { m_colour = colour; }
    uint8_t Flag() const { return m_flag; }
    void SetFlag(uint8_t flag) { m_flag = flag; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

private:
    std::string m_name;
    uint32_t m_colour = 0;
    uint8_t m_flag = 0;
};

class CColorList {
public:
    static constexpr int kNearest = 0;
    static constexpr int kLinear = 1;
    static constexpr int kCubic = 2;
    static constexpr int32_t kVersion = 257;
    static constexpr int32_t kVersionBareColors = 256;
    static constexpr double kMinExponent = 1e-5;
    static constexpr double kMaxExponent = 1e5;
    // Most stops a ".bcl" record may declare; anything above is a damaged file.
    static constexpr int32_t kMaxArchivedStops = 1 << 20;

    CColorList() = default;
    // Copies carry the stop colours with their flags (not the names), the mode and
    // the exponent, which is kept within kMinExponent..kMaxExponent.
    CColorList(const CColorList& other) { *this = other; }
    CColorList& operator=(const CColorList& other);
    // Moving hands everything over as it is, names included.
    CColorList(CColorList&&) noexcept = default;
    CColorList& operator=(CColorList&&) noexcept = default;

    // No stops, cubic mode, exponent 1.
    void ResetDefaults();
    // Two stops black and white, linear, exponent 1.
    void ResetBlackWhite();
    // Removes every stop and returns how many there were.
    int RemoveAll();

    int GetSize() const { return static_cast<int>(m_stops.size()); }
    const CColorEntry& Stop(int i) const { return m_stops.at(static_cast<size_t>(i)); }
    CColorEntry& Stop(int i) { return m_stops.at(static_cast<size_t>(i)); }

    // Appends a stop; returns its index.
    int Add(uint32_t colour);
    // Sets stop i, growing the list with black stops when i is past the end;
    // returns i (-1 for a negative i).
    int SetAt(int i, uint32_t colour);
    // Sets the colour of an existing stop; returns i, or -1 when i is not a stop.
    int SetColorOfStop(int i, uint32_t colour);
    // Inserts one stop before position i (clamped to 0..size); returns its index.
    int InsertAt(int i, uint32_t colour);
    // Colour of stop i clamped to the list; black for an empty list.
    uint32_t GetColorAt(int i) const;

    int SetInterpolation(int mode);
    int GetInterpolation() const { return m_mode; }
    double GetExponent() const { return m_exponent; }
    void SetExponent(double g) { m_exponent = g; }
    // Stores g = 1 / v with v clamped to kMinExponent..kMaxExponent; returns the
    // former exponent.
    double SetExponentInverse(double v);
    double GetExponentInverse() const { return 1.0 / m_exponent; }

    // The colour at t in 0..1 (a NaN t counts as 0).
    uint32_t Interpolate(double t) const;
    // The stop nearest to t after the exponent: 0 for t <= 0, the last for t >= 1.
    int NearestStopIndex(double t) const;

    // Same stops (names and colours), same scratch entry, same mode, exponents
    // within 1e-9.
    bool Equals(const CColorList& other) const;

    // n stops of the built-in spectrum sampled evenly from a to b (one stop at a
    // when n <= 1), replacing the stops.
    void FillSpectrum(double a, double b, int n);

    // The ".bcl" content. Loading a damaged record raises the archive error and
    // leaves the list as it was.
    void Serialize(CArchive& ar);

    // The "ColorList" ... "ColorListEnd" text block, keywords spelled by the
    // tokenizer. WriteText returns 0 (-1 when the file cannot be written).
    // ReadText starts at the current token (a leading "ColorList" is skipped) and
    // returns 0 with "ColorListEnd" still the current token, or -1 at the end of the
    // text, keeping what was read. Every number is an expression; a Gamma or Mode
    // whose expression does not parse leaves the value as it was.
    int WriteText(std::FILE* file, const CTokenizer& tokenizer) const;
    int ReadText(CTokenizer& tokenizer);

    // Pickers through the installed ColorChooser (Shift held: the system colour
    // dialog, else the palette picker).
    // The colour of the stop at height y of a colour bar of `barHeight` pixels
    // (the top is the last stop): 1 when changed, 2 when cancelled.
    int PickStopColorAt(double y, double barHeight);
    // Picks the scratch entry's colour and appends / inserts it at i; returns the
    // new stop's index, or -1 when the pick was cancelled.
    int PickAndAppend();
    int PickAndInsert(int i);
    const CColorEntry& Scratch() const { return m_scratch; }

private:
    std::vector<CColorEntry> m_stops;
    CColorEntry m_scratch;
    int m_mode = kCubic;
    double m_exponent = 1.0;
};

// A colour list made ready for many lookups on one thread: its stops copied and every
// segment's coefficients worked out once. Interpolate gives the list's own colour bit for
// bit. Prepare again after the list changes; preparing reuses the storage.
class CColorRamp {
public:
    void Prepare(const CColorList& list);
    uint32_t Interpolate(double t) const;
    // Interpolate at n positions.
    void InterpolateMany(const double* t, int n, uint32_t* colours) const;

    // The channel coefficients of one segment (see CColorList.cpp): cubic[j][ch] is
    // coefficient j of channel ch, the fourth channel a zero pad so a coefficient's
    // channels load as whole lanes.
    struct Segment {
        alignas(16) double cubic[4][4];
        double linear[3][2];
    };

private:
    std::vector<uint32_t> m_colours;
    std::vector<Segment> m_segments;
    int m_mode = CColorList::kCubic;
    double m_exponent = 1.0;
};

// The 256 entries of the PW2 palette.
struct PaletteRGB {
    uint8_t r, g, b;
};
extern const std::array<PaletteRGB, 256> PW2Palette;

// Index of the palette entry equal to `colour`, or -1.
int FindPaletteIndex(uint32_t colour);
// Colour of palette entry `index`; black for an index outside 0..255.
uint32_t PaletteColor(int index);
// The nearest palette entry by squared RGB distance; the first of equals wins.
int FindNearestPaletteIndex(uint32_t colour);

// Lets the user change `colour` (Shift held: the system colour dialog; else the
// palette picker at the palette entry nearest the colour). 1 when changed, 0 when cancelled.
int PickColorByShift(uint32_t& colour);
int PickColorByShift(CColorEntry& entry);

// Resamples `list` to n stops through cubic interpolation, each snapped to the
// nearest palette colour; the list keeps its mode.
void SnapColorListToPalette(CColorList& list, int n);
// The same, snapped only while Shift is up.
void ResampleColorListByShift(CColorList& list, int n);
// Makes `list` the two stops a and b, then resamples it to n stops as
// ResampleColorListByShift does.
void MakeTwoColorList(CColorList& list, int n, uint32_t a, uint32_t b);

} // namespace kv
