#include "document/StepProgress.h"

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

} // namespace kv
