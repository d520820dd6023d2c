// The texts of the map view properties bar: the values under the pointer and the extent of
// the view, in the display units.
#pragma once

#include <array>
#include <string>

namespace kv {

struct CursorInfo;
struct ProjectedAxes;

// The value with "%0.<decimals>f", a blank and the unit.
std::string FormatValueWithUnit(int decimals, double value, const std::string& unit);

// Latitude, longitude, altitude, rainfall, temperature, water level, climate name; all
// "No Data" off the map.
std::array<std::string, 7> CursorTexts(const CursorInfo& info, bool metric);

// North-south length, east-west length (km or mi), latitude range, longitude range (deg).
std::array<std::string, 4> MeasureTexts(const ProjectedAxes& axes, bool metric);

} // namespace kv
