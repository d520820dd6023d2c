#include "view/tools/PaintToolTable.h"

#include "base/DisplayUnits.h"
#include "world/SurfMap.h"

namespace kv {

namespace {

constexpr PaintToolRow kPaintTools[] = {
    {3, kChannelTemperature, 2, PaintUnit::TemperatureDifference, PaintPick::None},
    {4, kChannelTemperature, 1, PaintUnit::TemperatureDifference, PaintPick::None},
    {5, kChannelRainfall, 2, PaintUnit::Rainfall, PaintPick::None},
    {6, kChannelRainfall, 1, PaintUnit::Rainfall, PaintPick::None},
    {7, kChannelLandOffset, 2, PaintUnit::Length, PaintPick::None},
    {8, kChannelLandOffset, 1, PaintUnit::Length, PaintPick::None},
    {9, kChannelRoughness, 1, PaintUnit::None, PaintPick::None},
    {10, kChannelRoughness, 2, PaintUnit::None, PaintPick::None},
    {11, kChannelWaterLevel, 0, PaintUnit::Length, PaintPick::Altitude},
    {12, kChannelClimate, 0, PaintUnit::None, PaintPick::ClimateCode},
    {13, kChannelLandOffset, 0, PaintUnit::Length, PaintPick::Altitude},
    {14, kChannelRoughness, 0, PaintUnit::None, PaintPick::One},
    {15, kChannelTemperature, 0, PaintUnit::Temperature, PaintPick::Temperature},
    {16, kChannelRainfall, 0, PaintUnit::Rainfall, PaintPick::Rainfall},
    {36, kChannelPrescale, 2, PaintUnit::Length, PaintPick::None},
    {37, kChannelPrescale, 1, PaintUnit::Length, PaintPick::None},
    {38, kChannelPrescale, 0, PaintUnit::Length, PaintPick::One},
};

constexpr double kFahrenheitPerCelsius = 1.8;
constexpr double kCelsiusPerFahrenheit = 0.5555556;
constexpr double kFahrenheitZero = 32.0;

} // namespace

const PaintToolRow* FindPaintTool(int number)
{
    for (const PaintToolRow& row : kPaintTools)
        if (row.number == number)
            return &row;
    return nullptr;
}

float PaintValueToDisplay(PaintUnit unit, float value, bool metric)
{
    if (metric)
        return value;
    const double v = value;
    switch (unit) {
    case PaintUnit::TemperatureDifference: return static_cast<float>(v * kFahrenheitPerCelsius);
    case PaintUnit::Temperature: return static_cast<float>(v * kFahrenheitPerCelsius + kFahrenheitZero);
    case PaintUnit::Rainfall: return static_cast<float>(v * kInchesPerCm);
    case PaintUnit::Length: return static_cast<float>(v * kFeetPerMetre);
    case PaintUnit::None: break;
    }
    return value;
}

float PaintValueFromDisplay(PaintUnit unit, float shown, bool metric)
{
    if (metric)
        return shown;
    const double v = shown;
    switch (unit) {
    case PaintUnit::TemperatureDifference: return static_cast<float>(v * kCelsiusPerFahrenheit);
    case PaintUnit::Temperature: return static_cast<float>((v - kFahrenheitZero) * kCelsiusPerFahrenheit);
    case PaintUnit::Rainfall: return static_cast<float>(v * kCmPerInch);
    case PaintUnit::Length: return static_cast<float>(v * kMetresPerFoot);
    case PaintUnit::None: break;
    }
    return shown;
}

} // namespace kv
