#include "view/WorldSettingsValues.h"

#include "base/Random.h"
#include "platform/CLocale.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace kv {

namespace {

constexpr double kHeightToFeet = 3.28084;
constexpr double kShelfToFeet = 3.2808398544653277;
constexpr double kFeetToMetres = 0.3048;
constexpr double kRainToInches = 0.39370079331436747;
constexpr double kInchesToCm = 2.54;
constexpr double kFahrenheitToCelsiusBase = 0.5555555702727522;
constexpr double kFahrenheitToCelsiusSpan = 0.5555555555555556;
constexpr double kMilesPerFoot = 0.00018939393;
constexpr double kCellMilesPerFoot = 0.0001893939393939394;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;

} // namespace

double HeightToDisplay(double metres, int metric) { return metric ? metres : metres * kHeightToFeet; }
double HeightFromDisplay(double shown, int metric) { return metric ? shown : shown * kFeetToMetres; }
double ShelfToDisplay(double metres, int metric) { return metric ? metres : metres * kShelfToFeet; }
double ShelfFromDisplay(double shown, int metric) { return metric ? shown : shown * kFeetToMetres; }

double WorldSizeToDisplay(double circumferenceKm, int metric, int diameter)
{
    double shown = metric ? circumferenceKm : circumferenceKm * 1000.0 * kHeightToFeet * kMilesPerFoot;
    return diameter ? shown * kCircumferenceToDiameter : shown;
}

double WorldSizeFromDisplay(double shown, int metric, int diameter)
{
    // The shown diameter goes back through the page's single-precision factor.
    double circumference = diameter ? shown * kDiameterToCircumference : shown;
    return metric ? circumference : circumference * 5280.0 * kFeetToMetres * 0.001;
}

double RainfallToDisplay(double cmPerYear, int metric) { return metric ? cmPerYear : cmPerYear * kRainToInches; }
double RainfallFromDisplay(double shown, int metric) { return metric ? shown : shown * kInchesToCm; }

double BaseTemperatureToDisplay(double celsius, int metric) { return metric ? celsius : celsius * 1.8 + 32.0; }
double BaseTemperatureFromDisplay(double shown, int metric)
{
    return metric ? shown : (shown - 32.0) * kFahrenheitToCelsiusBase;
}
double TemperatureVarianceToDisplay(double celsius, int metric) { return metric ? celsius : celsius * 1.8; }
double TemperatureVarianceFromDisplay(double shown, int metric)
{
    return metric ? shown : shown * kFahrenheitToCelsiusSpan;
}
double TiltToDisplay(double radians) { return radians * kDegreesPerRadian; }
double TiltFromDisplay(double degrees) { return degrees * kRadiansPerDegree; }

int SliderScale::PositionOf(double value) const
{
    double position = (value - low) / span * (maximum - minimum) + minimum;
    if (!(position >= minimum))
        return minimum;
    if (position >= maximum)
        return maximum;
    return static_cast<int>(position);
}

double SliderScale::ValueAt(int position) const
{
    return low + span * static_cast<double>(position - minimum) / static_cast<double>(maximum - minimum);
}

int64_t GridMemoryBytes(int width, bool prescale)
{
    const int64_t w = width;
    return (prescale ? 7 : 6) * w * w * 4 / 2;
}

std::string GridMemoryText(int width, bool prescale)
{
    const int64_t bytes = GridMemoryBytes(width, prescale);
    if (bytes >= 1048576)
        return FormatC("%0.1f MB", static_cast<double>(bytes) / 1048576.0);
    return FormatC("%d KB", static_cast<int>(bytes / 1024));
}

std::string GridCellSizeText(double circumferenceKm, int width, int metric)
{
    const double cell = circumferenceKm / width;
    if (metric)
        return FormatC("%0.1f km", cell);
    return FormatC("%0.1f mi", cell * 1000.0 * kShelfToFeet * kCellMilesPerFoot);
}

int32_t DrawNewWorldSeed()
{
    SRand(static_cast<uint32_t>(std::time(nullptr)));
    uint64_t value = static_cast<uint64_t>(Rand()) * static_cast<uint64_t>(Rand());
    // The steady clock is the high-resolution counter; its tick count replaces the product.
    value = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const uint32_t product = static_cast<uint32_t>(Rand()) * static_cast<uint32_t>(value & 0xFFFFFFFFu);
    return static_cast<int32_t>(product);
}

void CopyWorldSettings(SurfMap& to, const SurfMap& from)
{
    to.CopyParms(from);
    to.exponentAbove = from.exponentAbove;
    to.exponentBelow = from.exponentBelow;
    to.surfaceType = from.surfaceType;
    to.secondSurfaceMode = from.secondSurfaceMode;
    to.directClimate = from.directClimate;
    to.defaultChannel = from.defaultChannel;
}

std::optional<double> ParseEditNumber(const std::string& text)
{
    char* end = nullptr;
    const double value = StrToDoubleC(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value))
        return std::nullopt;
    // Blanks may follow the number; anything else ("12abc") makes the text no number.
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return std::nullopt;
    return value;
}

std::optional<double> ParseAzimuthText(const std::string& text)
{
    auto value = ParseEditNumber(text);
    if (!value)
        return value;
    if (*value < 0.0)
        return 0.0;
    if (*value >= 360.0)
        return 359.99;
    return value;
}

std::optional<double> ParseElevationText(const std::string& text)
{
    auto value = ParseEditNumber(text);
    if (!value)
        return value;
    if (*value < -90.0)
        return -90.0;
    if (*value > 90.0)
        return 90.0;
    return value;
}

std::optional<int> ParseColorCountText(const std::string& text, int minimum)
{
    const std::string head = text.substr(0, 255);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(head.c_str(), &end, 10);
    if (end == head.c_str() || errno == ERANGE)
        return std::nullopt;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0' || value < 0 || value > kMaxColorCount)
        return std::nullopt;
    return static_cast<int>(std::max<long long>(value, minimum));
}

} // namespace kv
