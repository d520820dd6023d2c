#include "view/ToolSettings.h"

#include "base/DisplayUnits.h"
#include "view/ViewInput.h"

#include <algorithm>

namespace kv {

namespace {

constexpr double kFahrenheitPerCelsius = 1.8, kCelsiusPerFahrenheit = 0.5555556;
constexpr double kFeetPerMile = 5280.0;

ToolSettingsValues Shown(const ToolSettingsValues& m, bool metric)
{
    if (metric)
        return m;
    ToolSettingsValues s = m;
    s.temperature = static_cast<float>(m.temperature * kFahrenheitPerCelsius);
    s.offset = static_cast<float>(m.offset * kFeetPerMetre);
    s.water = static_cast<float>(m.water * kFeetPerMetre);
    s.rainfall = static_cast<float>(m.rainfall * kInchesPerCm);
    s.crater = m.crater * 1000.0 * kFeetPerMetre / kFeetPerMile;
    return s;
}

ToolSettingsValues Metric(const ToolSettingsValues& s, bool metric)
{
    if (metric)
        return s;
    ToolSettingsValues m = s;
    m.temperature = static_cast<float>(s.temperature * kCelsiusPerFahrenheit);
    m.offset = static_cast<float>(s.offset * kMetresPerFoot);
    m.water = static_cast<float>(s.water * kMetresPerFoot);
    m.rainfall = static_cast<float>(s.rainfall * kCmPerInch);
    m.crater = s.crater * kFeetPerMile * kMetresPerFoot * 0.001;
    return m;
}

} // namespace

ToolSettingsValues DefaultToolSettings(bool metric) { return Shown(ToolSettingsValues(), metric); }

ToolSettingsValues ToolSettingsFromView(const ViewInput& input, bool metric)
{
    const ToolAmounts& a = input.Amounts();
    ToolSettingsValues m;
    m.temperature = a.temperature;
    m.offset = a.offset;
    m.prescale = a.prescale;
    m.rainfall = a.rainfall;
    m.roughness = a.roughness;
    m.water = a.water;
    m.presetLG = input.presetLG;
    m.presetSM = input.presetSM;
    m.presetXL = input.presetXL;
    m.presetXS = input.presetXS;
    m.crater = input.craterSize;
    return Shown(m, metric);
}

void ApplyToolSettings(ViewInput& input, const ToolSettingsValues& shown, bool metric)
{
    const ToolSettingsValues m = Metric(shown, metric);
    ToolAmounts& a = input.Amounts();
    a.temperature = m.temperature;
    a.offset = m.offset;
    a.prescale = m.prescale;
    a.rainfall = m.rainfall;
    a.roughness = m.roughness;
    a.water = m.water;
    input.presetLG = std::clamp(m.presetLG, 0, ViewInput::kMaxBrushSize);
    input.presetSM = std::clamp(m.presetSM, 0, ViewInput::kMaxBrushSize);
    input.presetXL = std::clamp(m.presetXL, 0, ViewInput::kMaxBrushSize);
    input.presetXS = std::clamp(m.presetXS, 0, ViewInput::kMaxBrushSize);
    input.craterSize = std::clamp(m.crater, ViewInput::kMinCraterSize, ViewInput::kMaxCraterSize);
    input.SyncToolValues();
    input.RebuildTool();
}

} // namespace kv
