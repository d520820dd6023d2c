#include "document/DocumentServices.h"

#include "base/ServiceSlots.h"

#include <atomic>
#include <chrono>

namespace kv {

namespace {

// One installable service: the installed object, else the default.
template <class T> class ServiceSlot {
public:
    T& Get()
    {
        T* p = m_installed.load(std::memory_order_acquire);
        return p != nullptr ? *p : m_default;
    }
    T* Set(T* p) { return m_installed.exchange(p, std::memory_order_acq_rel); }
    bool Installed() const { return m_installed.load(std::memory_order_acquire) != nullptr; }

private:
    T m_default;
    std::atomic<T*> m_installed{nullptr};
};

ServiceSlot<InputState> g_input;
ServiceSlot<SeedClock> g_clock;
ServiceSlot<NewWorldWizard> g_wizard;
ServiceSlot<CommandDialogs> g_dialogs;
std::atomic<const SurfMap*> g_parameterWorld{nullptr};

} // namespace

InputState& GetInputState() { return g_input.Get(); }
InputState* SetInputState(InputState* state) { return g_input.Set(state); }

uint64_t SeedClock::Counter() const
{
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}
SeedClock& GetSeedClock() { return g_clock.Get(); }
SeedClock* SetSeedClock(SeedClock* clock) { return g_clock.Set(clock); }

NewWorldWizard& GetNewWorldWizard() { return g_wizard.Get(); }
NewWorldWizard* SetNewWorldWizard(NewWorldWizard* wizard) { return g_wizard.Set(wizard); }

const SurfMap* GetParameterWorld() { return g_parameterWorld.load(std::memory_order_acquire); }
void SetParameterWorld(const SurfMap* world) { g_parameterWorld.store(world, std::memory_order_release); }

CommandDialogs& GetCommandDialogs() { return g_dialogs.Get(); }
CommandDialogs* SetCommandDialogs(CommandDialogs* dialogs) { return g_dialogs.Set(dialogs); }

namespace {
FrameRequests g_noFrame;
FrameRequests* g_frameRequests = nullptr;
} // namespace

FrameRequests& GetFrameRequests() { return g_frameRequests ? *g_frameRequests : g_noFrame; }

FrameRequests* SetFrameRequests(FrameRequests* requests)
{
    FrameRequests* previous = g_frameRequests;
    g_frameRequests = requests;
    return previous;
}

namespace {

const ServiceSlotRegistration kInputStateSlot("InputState", [] { return g_input.Installed(); });
const ServiceSlotRegistration kSeedClockSlot("SeedClock", [] { return g_clock.Installed(); });
const ServiceSlotRegistration kNewWorldWizardSlot("NewWorldWizard", [] { return g_wizard.Installed(); });
const ServiceSlotRegistration kCommandDialogsSlot("CommandDialogs", [] { return g_dialogs.Installed(); });
const ServiceSlotRegistration kFrameRequestsSlot("FrameRequests", [] { return g_frameRequests != nullptr; });

} // namespace

} // namespace kv
