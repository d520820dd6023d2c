// The definition of a painting brush and its keyword text (".brs" brush files and presets):
// size, value, combine mode, weight shape, wrapping, expressions, image file, with the
// kernel it carries.
#pragma once

#include "world/ConvolutionKernel.h"

#include <cfloat>
#include <string>

namespace kv {

class CTokenizer;

// Bits of BrushSettings::type.
namespace brush {
constexpr int kSourceMask = 0xF;        // value source of the stamp
constexpr int kSourceConstant = 0;      // the brush value
constexpr int kSourceKeep = 1;          // the value buffer as it is
constexpr int kSourceRandom = 2;        // 2 and 3: value x a uniform random number
constexpr int kSourceRandom2 = 3;
constexpr int kSourceCell = 4;          // the source grid's cell under each stamp cell, clamped
// 5..15: the source grid's cells under the clipped stroke rectangle, 0 elsewhere
constexpr int kModeMask = 0xF0;         // combine mode << 4; 8 or more leaves cells unchanged
constexpr int kModeShift = 4;
constexpr int kBiasData = 0x1000;       // the data array follows the bias curve
constexpr int kFalloff = 0x2000;        // weights fall off linearly to the stamp's edge
constexpr int kShapeMask = 0x30000;
constexpr int kShapeEllipse = 0;
constexpr int kShapeExpressions = 0x10000;
constexpr int kShapeImage = 0x20000;
constexpr int kWrapColumns = 0x100000;  // columns modulo the grid width instead of clipping
constexpr int kWrapRows = 0x200000;     // rows modulo the grid height

// Combine modes: w the stamp weight, v the value, o the old value, e = w x v.
enum Mode : int {
    kModeToward = 0,  // o + (v - o) w
    kModeAdd = 1,     // o + e
    kModeSubtract = 2,// o - e
    kModeMultiply = 3,// o w v
    kModeDivide = 4,  // o / e (1.0 when |e| >= 1e10, o when |e| <= 1e-10)
    kModeMin = 5,
    kModeMax = 6,
    kModePower = 7,   // o to the power e
};

// Stamp sizes read from brush texts and set by the tools.
constexpr int kMinSize = 1;
constexpr int kMaxSize = 512;
} // namespace brush

class BrushSettings : public ConvolutionKernel {
public:
    BrushSettings() = default;
    bool operator==(const BrushSettings&) const = default;

    // Every field, the kernel included, back to its default.
    void SetDefaults() { *this = BrushSettings(); }

    int Mode() const { return (type & brush::kModeMask) >> brush::kModeShift; }
    void SetMode(int mode) { type = (type & ~brush::kModeMask) | ((mode & 0xF) << brush::kModeShift); }

    // The definition from "Brush" to "BrushEnd", one "%s %0.5f" / "%s %d" / "%s \"%s\""
    // line per field.
    std::string WriteText() const;
    // Reads keyword lines in any order (a leading "Brush" skipped) until "BrushEnd" or the
    // end of the text; numbers may be arithmetic, sizes are held within 1..512, unknown
    // words are skipped. 0; -1 when a value does not read (not a finite number, a string
    // keyword without a string, a bad kernel block): the settings are then unchanged.
    int ReadText(CTokenizer& tokenizer);

    float value = 1.0f;
    int width = 11;
    int height = 11;
    float bias = 0.5f;
    int type = brush::kBiasData | brush::kFalloff;
    bool autoRotate = false;
    bool allPoints = false;
    float flow = 1.0f;
    int fadeSteps = 100;
    float rangeLow = FLT_MIN;
    float rangeHigh = FLT_MAX;
    std::string maskExpression = "1-r";
    std::string dataExpression = "1-r";
    std::string fileName;
};

// A brush definition file: the tokens up to "Brush" are skipped, then ReadText. 0; -1 when
// the file cannot be opened, -2 when it holds no "Brush" or the definition does not read
// (settings unchanged).
int ReadBrushFile(const std::string& path, BrushSettings& settings);
// Writes the definition to `path`, replacing the file only once it is complete: 0, or -1.
int WriteBrushFile(const std::string& path, const BrushSettings& settings);

} // namespace kv
