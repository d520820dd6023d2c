#include "view/PropertyTexts.h"

#include "base/DisplayUnits.h"
#include "view/ViewInput.h"
#include "world/GreatCircle.h"

#include <cmath>
#include <cstdio>

namespace kv {

namespace {

constexpr double kFeetPerMetreExact = 3.2808398544653277;
constexpr double kMilesPerFoot = 0.0001893939393939394;

} // namespace

std::string FormatValueWithUnit(int decimals, double value, const std::string& unit)
{
    char format[16];
    std::snprintf(format, sizeof format, "%%0.%df", decimals);
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return std::string(text) + " " + unit;
}

std::array<std::string, 7> CursorTexts(const CursorInfo& info, bool metric)
{
    if (!info.onMap)
        return {"No Data", "No Data", "No Data", "No Data", "No Data", "No Data", "No Data"};
    double altitude = info.altitude, water = info.waterLevel, rain = info.rainfall;
    double temperature = info.temperature - 273.15;
    if (!metric) {
        altitude *= kFeetPerMetre;
        water *= kFeetPerMetre;
        rain *= kInchesPerCm;
        temperature = temperature * 1.8 + 32.0;
    }
    return {FormatValueWithUnit(5, info.latitude, "deg"),
            FormatValueWithUnit(5, info.longitude, "deg"),
            FormatValueWithUnit(1, altitude, metric ? "m" : "ft"),
            FormatValueWithUnit(1, rain, metric ? "cm" : "in"),
            FormatValueWithUnit(1, temperature, metric ? "C" : "F"),
            FormatValueWithUnit(1, water, metric ? "m" : "ft"),
            info.className};
}

std::array<std::string, 4> MeasureTexts(const ProjectedAxes& axes, bool metric)
{
    const double k = metric ? 1.0 : 1000.0 * kFeetPerMetreExact * kMilesPerFoot;
    const char* unit = metric ? "km" : "mi";
    return {FormatValueWithUnit(2, axes.northSouth * k, unit), FormatValueWithUnit(2, axes.eastWest * k, unit),
            FormatValueWithUnit(5, std::fabs(axes.bottom - axes.top), "deg"),
            FormatValueWithUnit(5, std::fabs(axes.right - axes.left), "deg")};
}

} // namespace kv
