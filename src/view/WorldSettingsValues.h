// The numbers behind the World Settings pages and the new-world wizard: unit conversions
// between the stored (metric) parameters and what an edit shows, the slider scales, the
// Editing page's memory and cell-size texts and the new-seed draw. No window code, so the
// same rules serve every form that edits world parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

class SurfMap;

// Stored unit -> shown unit and back. `metric` 0 shows feet, miles, in/yr, degrees
// Fahrenheit; anything else shows the stored metric value unchanged.
double HeightToDisplay(double metres, int metric);
double HeightFromDisplay(double shown, int metric);
double ShelfToDisplay(double metres, int metric);
double ShelfFromDisplay(double shown, int metric);
// The world size: the circumference in km shown as km or miles, then as the diameter
// when `diameter` is non-zero.
double WorldSizeToDisplay(double circumferenceKm, int metric, int diameter);
double WorldSizeFromDisplay(double shown, int metric, int diameter);
double RainfallToDisplay(double cmPerYear, int metric);
double RainfallFromDisplay(double shown, int metric);
double BaseTemperatureToDisplay(double celsius, int metric);
double BaseTemperatureFromDisplay(double shown, int metric);
double TemperatureVarianceToDisplay(double celsius, int metric);
double TemperatureVarianceFromDisplay(double shown, int metric);
double TiltToDisplay(double radians);
double TiltFromDisplay(double degrees);

// The size edit's value when the size choice flips (single precision, as the page holds it).
constexpr float kCircumferenceToDiameter = 0.31830987f;
constexpr float kDiameterToCircumference = 3.1415927f;

// A slider that shows low .. low + span over positions minimum .. maximum.
struct SliderScale {
    double low;
    double span;
    int minimum;
    int maximum;
    // The position of a value, truncated toward zero and kept within the range; a value
    // that is not a number gives the minimum.
    int PositionOf(double value) const;
    double ValueAt(int position) const;
};
inline constexpr SliderScale kRoughnessSlider{0.01, 1.48, 0, 1000};
inline constexpr SliderScale kLandSizeSlider{1.0, 9.0, 0, 1000};
inline constexpr SliderScale kPercentSeaSlider{0.0, 100.0, 0, 100};

// Grid widths of the Editing page.
constexpr int kMinEditGridWidth = 4;
constexpr int kMaxEditGridWidth = 8190;
// Bytes of the channel grids of a w-wide world: (7 with the prescale channel, else 6)
// grids of w x w/2 four-byte cells.
int64_t GridMemoryBytes(int width, bool prescale);
// "%0.1lf MB" of bytes / 2^20 from 1 MB on, else "%d KB" of bytes / 1024.
std::string GridMemoryText(int width, bool prescale);
// The size of one cell: "%0.1f km" (metric) or "%0.1f mi" of circumference / width.
std::string GridCellSizeText(double circumferenceKm, int width, int metric);

// A new world seed: the C generator seeded from the clock, a product of two draws
// replaced by the high-resolution counter, then the next draw times the counter's low 32
// bits as an unsigned 32-bit product.
int32_t DrawNewWorldSeed();

// Copies every parameter of `from` into `to`, grids excluded: what SurfMap::CopyParms
// takes plus the shaping exponents, the surface type and mode, the direct-climate flag
// and the default channel. `to`'s grids are left as they are.
void CopyWorldSettings(SurfMap& to, const SurfMap& from);

// Parses an edit's text as one finite number ("%f" rules, blanks before and after it);
// nothing for text that gives no finite number or holds anything after it ("12abc").
std::optional<double> ParseEditNumber(const std::string& text);
// The azimuth edit: below 0 gives 0, 360 or more gives 359.99.
std::optional<double> ParseAzimuthText(const std::string& text);
// The elevation edit: kept within -90..90.
std::optional<double> ParseElevationText(const std::string& text);
// A typed colour count ("%d" of at most 255 characters, blanks around it allowed): 0..256,
// below `minimum` giving `minimum`; nothing when the text is no whole number or lies
// outside 0..256 (the page's check then says so).
constexpr int kMaxColorCount = 256;
std::optional<int> ParseColorCountText(const std::string& text, int minimum);

} // namespace kv
