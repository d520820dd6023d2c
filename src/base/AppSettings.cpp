#include "base/AppSettings.h"

#include "base/ServiceSlots.h"
#include "platform/CLocale.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {
const AppSettings g_defaultSettings;
std::atomic<const AppSettings*> g_settings{nullptr};

std::mutex g_runMutex;
std::map<std::pair<std::string, std::string>, int> g_runValues;
} // namespace

void SetRunInt(const std::string& section, const std::string& key, int value)
{
    std::lock_guard lock(g_runMutex);
    g_runValues[{section, key}] = value;
}

int GetRunInt(const std::string& section, const std::string& key, int defaultValue)
{
    {
        std::lock_guard lock(g_runMutex);
        auto it = g_runValues.find({section, key});
        if (it != g_runValues.end())
            return it->second;
    }
    return GetAppSettings().GetInt(section, key, defaultValue);
}

void ClearRunValues()
{
    std::lock_guard lock(g_runMutex);
    g_runValues.clear();
}

int AppSettings::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const std::string text = GetString(section, key, std::string());
    if (text.empty())
        return defaultValue;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return defaultValue;
    return static_cast<int>(v);
}

double AppSettings::GetDouble(const std::string& section, const std::string& key,
                              double defaultValue) const
{
    const std::string text = GetString(section, key, std::string());
    if (text.empty())
        return defaultValue;
    char* end = nullptr;
    const double v = StrToDoubleC(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(v))
        return defaultValue;
    return v;
}

std::string AppSettings::GetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_values.find({section, key});
    return it == m_values.end() ? defaultValue : it->second;
}

void AppSettings::WriteInt(const std::string& section, const std::string& key, int value) const
{
    WriteString(section, key, std::to_string(value));
}

void AppSettings::WriteDouble(const std::string& section, const std::string& key, double value) const
{
    WriteString(section, key, FormatC("%.17g", value));
}

void AppSettings::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) const
{
    std::lock_guard lock(m_mutex);
    m_values[{section, key}] = value;
}

const AppSettings& GetAppSettings()
{
    const AppSettings* s = g_settings.load(std::memory_order_acquire);
    return s ? *s : g_defaultSettings;
}

const AppSettings* SetAppSettings(const AppSettings* settings)
{
    return g_settings.exchange(settings, std::memory_order_acq_rel);
}

namespace {

const ServiceSlotRegistration kAppSettingsSlot("AppSettings", [] { return g_settings.load() != nullptr; });

} // namespace

} // namespace kv
