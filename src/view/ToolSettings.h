// The Tool Settings command's values: the paint tools' amounts, the four brush size presets,
// the crater size and the water level, as the dialog shows them (imperial units while the
// document is not metric: temperature differences x 1.8, feet, in/yr, miles).
#pragma once

namespace kv {

class ViewInput;

struct ToolSettingsValues {
    float temperature = 1.0f;
    float offset = 50.0f;
    float prescale = 0.01f;
    float rainfall = 1.0f;
    float roughness = 0.1f;
    int presetLG = 20;
    int presetSM = 10;
    int presetXL = 31;
    int presetXS = 3;
    double crater = 500.0; // km
    float water = 100.0f;
};

// The defaults ("Default..."), shown in the display units.
ToolSettingsValues DefaultToolSettings(bool metric);
ToolSettingsValues ToolSettingsFromView(const ViewInput& input, bool metric);
// Stores shown values back (converted to metric), synchronises the tool values and builds
// the current tool again with its id and size.
void ApplyToolSettings(ViewInput& input, const ToolSettingsValues& shown, bool metric);

} // namespace kv
