#include "world/AppSettings.h"

#include <atomic>

namespace kv {

namespace {
const AppSettings g_defaultSettings;
std::atomic<const AppSettings*> g_settings{nullptr};
} // namespace

const AppSettings& GetAppSettings()
{
    const AppSettings* s = g_settings.load(std::memory_order_acquire);
    return s ? *s : g_defaultSettings;
}

const AppSettings* SetAppSettings(const AppSettings* settings)
{
    return g_settings.exchange(settings, std::memory_order_acq_rel);
}

} // namespace kv
