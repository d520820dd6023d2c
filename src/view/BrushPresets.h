// Brush presets: ".brs" brush definition files in one folder (profile "Settings"\"PresetDir",
// the chosen one in "PresetName"), listed, read, written and named for the paintbrush panel.
#pragma once

#include "world/BrushSettings.h"

#include <string>
#include <vector>

namespace kv {

class AppSettings;

constexpr const char* kNoPresetsEntry = "<< No Presets Defined >>";

// The presets folder, ending in "/": "PresetDir", or the install folder (where the profile's
// settings files live) when it is empty, never the file system's root.
std::string BrushPresetFolder(const AppSettings& profile);
std::string BrushPresetName(const AppSettings& profile);
// Writes both (an empty folder stays empty).
void StoreBrushPresetChoice(const AppSettings& profile, const std::string& folder, const std::string& name);

// The names of the "*.brs" files of a folder, sorted; empty when there are none.
std::vector<std::string> ListBrushPresets(const std::string& folder);
// folder + "Untitled-N.brs" for the first N from 1 that names no file.
std::string UntitledBrushPresetPath(const std::string& folder);
// folder + name.
std::string BrushPresetPath(const std::string& folder, const std::string& name);

// Reads a preset into `settings` (unchanged on failure): 0, or the message to show in
// `error` ("Error opening brush definition <path>" / "Error reading brush definition <path>").
int LoadBrushPreset(const std::string& path, BrushSettings& settings, std::string& error);
// Writes a preset whole: 0, or "Error writing brush definition <path>" in `error`.
int SaveBrushPreset(const std::string& path, const BrushSettings& settings, std::string& error);

} // namespace kv
