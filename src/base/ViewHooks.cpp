#include "base/ViewHooks.h"

#include "base/ServiceSlots.h"

#include <atomic>

namespace kv {

namespace {

class NoViewHooks final : public ViewHooks {
public:
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int) override { return 0; }
};

NoViewHooks g_noViewHooks;
std::atomic<ViewHooks*> g_viewHooks{nullptr};
thread_local ViewHooks* t_viewHooks = nullptr;

} // namespace

ViewHooks* SetThreadViewHooks(ViewHooks* hooks)
{
    ViewHooks* old = t_viewHooks;
    t_viewHooks = hooks;
    return old;
}

ViewHooks& GetViewHooks()
{
    if (t_viewHooks != nullptr)
        return *t_viewHooks;
    ViewHooks* h = g_viewHooks.load(std::memory_order_acquire);
    return h ? *h : static_cast<ViewHooks&>(g_noViewHooks);
}

ViewHooks* SetViewHooks(ViewHooks* hooks)
{
    return g_viewHooks.exchange(hooks, std::memory_order_acq_rel);
}

namespace {

const ServiceSlotRegistration kViewHooksSlot("ViewHooks", [] { return g_viewHooks.load() != nullptr; });

} // namespace

} // namespace kv
