// The application settings that the world model reads.
//
// The shell installs its implementation once its preferences are loaded; until then
// (batch runs before start-up, tests) the defaults below answer.
#pragma once

namespace kv {

class AppSettings {
public:
    virtual ~AppSettings() = default;
    // When set, preparing a surface sampler rebuilds the built-in noise tables and
    // octave weights. Off by default.
    virtual bool RebuildNoiseOnPrepare() const { return false; }
};

// The settings in force (never null).
const AppSettings& GetAppSettings();
// Installs `settings` (null restores the defaults) and returns the previous ones, or null
// when the defaults were in force. The caller keeps `settings` alive while installed.
const AppSettings* SetAppSettings(const AppSettings* settings);

} // namespace kv
