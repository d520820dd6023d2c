#include "base/Progress.h"

#include "base/ServiceSlots.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kv {

std::atomic<int> g_abortValue{0};

namespace {

ProgressHooks g_hooks = DefaultProgressHooks();
thread_local ProgressHooks* t_hooks = nullptr;

struct DefaultState {
    std::unique_ptr<ProgressWindow> window;
    int enabled = 1;
    int divisor = 1;
    int lastPercent = -1;
    int firstWindow = 1;
    std::string placement;
    std::chrono::steady_clock::time_point start;
    std::string text;
    ProgressWindowFactory factory = nullptr;
    ProgressEventPump* pump = nullptr;
};

DefaultState& State()
{
    static DefaultState s;
    return s;
}

void SilentBegin(const char*, int) {}
void SilentEnd() {}
int SilentStep(double, double) { return 0; }
int SilentPoll() { return 0; }

} // namespace

ProgressHooks DefaultProgressHooks() { return {ProgressBegin, ProgressEnd, ProgressStep, ProgressPoll}; }
ProgressHooks SilentProgressHooks() { return {SilentBegin, SilentEnd, SilentStep, SilentPoll}; }
ProgressHooks& GetProgressHooks() { return t_hooks != nullptr ? *t_hooks : g_hooks; }

ProgressHooks* SetThreadProgressHooks(ProgressHooks* hooks)
{
    ProgressHooks* old = t_hooks;
    t_hooks = hooks;
    return old;
}

ProgressHooks SetProgressHooks(const ProgressHooks& hooks)
{
    ProgressHooks old = g_hooks;
    g_hooks = hooks;
    return old;
}

void SetProgressWindowFactory(ProgressWindowFactory factory) { State().factory = factory; }
void SetProgressEventPump(ProgressEventPump* pump) { State().pump = pump; }

void ProgressBegin(const char* text, int stepMode)
{
    DefaultState& s = State();
    const std::string t = text ? text : "";
    if (s.window) {
        s.window->SetText(t);
        return;
    }
    if (s.enabled == 0) {
        s.enabled = 1;
        return;
    }
    s.divisor = (stepMode > 0 && stepMode < 100) ? stepMode : 10;
    s.lastPercent = -1;
    s.window = s.factory ? s.factory() : nullptr;
    if (s.window) {
        if (!s.firstWindow && !s.placement.empty())
            s.window->SetPlacement(s.placement);
        s.window->SetText(t);
    }
    s.firstWindow = 0;
    s.start = std::chrono::steady_clock::now();
    s.text = t;
}

void ProgressEnd()
{
    DefaultState& s = State();
    s.enabled = 1;
    if (s.window) {
        s.placement = s.window->GetPlacement();
        s.window.reset();
    }
}

int ProgressStep(double current, double total)
{
    DefaultState& s = State();
    if (!s.window || std::fabs(total) < 1e-20 || s.enabled == 0)
        return 0;
    const double ratio = current / total * 100.0;
    if (!std::isfinite(ratio))
        return 0;
    const int percent = static_cast<int>(std::clamp(ratio, -2147483648.0, 2147483647.0));
    if (percent == s.lastPercent)
        return percent;
    s.lastPercent = percent;
    if (percent % s.divisor != 0)
        return percent / s.divisor;
    s.window->SetPosition(percent);
    return percent;
}

int ProgressPoll()
{
    DefaultState& s = State();
    if (!s.pump)
        return 0;
    while (s.pump->EventWaiting()) {
        if (s.pump->WaitingEventIsEscape()) {
            g_abortValue = kAbortValue;
            return -1;
        }
        if (!s.pump->PumpOne()) {
            g_abortValue = kAbortValue;
            return -1;
        }
    }
    return 0;
}

namespace {

const ServiceSlotRegistration kProgressWindowFactorySlot("ProgressWindowFactory", [] { return State().factory != nullptr; });
const ServiceSlotRegistration kProgressEventPumpSlot("ProgressEventPump", [] { return State().pump != nullptr; });

} // namespace

} // namespace kv
