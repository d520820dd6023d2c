// The application settings (the profile) that the model reads and writes.
//
// The shell installs its implementation over the profile once its preferences are loaded;
// until then (batch runs before start-up, tests) a store in memory answers: every read
// gives the caller's default until the same key was written during the run.
//
// Values live under a section and a key ("Settings", "nMaxPW2Pts"). Reads take the
// caller's default, which answers when the key is absent or does not parse; callers clamp
// what they read to their own ranges (a hand-edited profile may hold anything).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace kv {

class AppSettings {
public:
    virtual ~AppSettings() = default;
    // When set, preparing a surface sampler rebuilds the built-in noise tables and
    // octave weights. Off by default.
    virtual bool RebuildNoiseOnPrepare() const { return false; }

    // Profile values by section and key. The base keeps written values in memory for the
    // run; implementations over a real profile override all six.
    virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    virtual double GetDouble(const std::string& section, const std::string& key,
                             double defaultValue) const;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) const;
    virtual void WriteDouble(const std::string& section, const std::string& key, double value) const;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) const;

private:
    // Values written during the run, as texts in the C locale.
    mutable std::mutex m_mutex;
    mutable std::map<std::pair<std::string, std::string>, std::string> m_values;
};

// Values set for the rest of the run that never reach the profile (a preference a loaded
// file switches on). GetRunInt answers with such a value when one was set, else with the
// settings in force; ClearRunValues forgets them all (tests).
void SetRunInt(const std::string& section, const std::string& key, int value);
int GetRunInt(const std::string& section, const std::string& key, int defaultValue);
void ClearRunValues();

// The settings in force (never null).
const AppSettings& GetAppSettings();
// Installs `settings` (null restores the defaults) and returns the previous ones, or null
// when the defaults were in force. The caller keeps `settings` alive while installed.
const AppSettings* SetAppSettings(const AppSettings* settings);

} // namespace kv
