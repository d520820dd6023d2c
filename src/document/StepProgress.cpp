#include "document/StepProgress.h"

#include "base/ServiceSlots.h"

#include <atomic>

namespace kv {

namespace {
StepProgress g_default;
std::atomic<StepProgress*> g_installed{nullptr};
} // namespace

StepProgress& GetStepProgress()
{
    StepProgress* p = g_installed.load();
    return p != nullptr ? *p : g_default;
}

StepProgress* SetStepProgress(StepProgress* progress) { return g_installed.exchange(progress); }

namespace {

const ServiceSlotRegistration kStepProgressSlot("StepProgress", [] { return g_installed.load() != nullptr; });

} // namespace

} // namespace kv
