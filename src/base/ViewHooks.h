// What the world model asks of the map views: stop the active view's render worker
// before a grid or mask it reads is replaced, and broadcast an update hint to the
// active document's views after a change.
//
// The view layer installs its implementation with SetViewHooks; until it does (batch
// runs, tests), a default that does nothing and reports 0 is in force. Tests install
// their own to observe the calls.
#pragma once

namespace kv {

class ViewHooks {
public:
    virtual ~ViewHooks() = default;
    // Stops the active view's render worker and waits for it; 0 when there is no view.
    virtual int StopActiveViewRender() = 0;
    // Sends `hint` (1..16) to the views of the active document; 0 on success.
    virtual int UpdateActiveDocViews(int hint) = 0;
    // Raise and lower the active view's busy counter: no render is prepared while an
    // edit or a long computation holds it. Without a view nothing happens.
    virtual void EnterBusy() {}
    virtual void LeaveBusy() {}
};

// The hooks in force (never null).
ViewHooks& GetViewHooks();
// Installs `hooks` (null restores the default) and returns the previous ones, or null
// when the default was in force. The caller keeps `hooks` alive while installed.
ViewHooks* SetViewHooks(ViewHooks* hooks);

// Shorthands that call the hooks in force.
inline int StopActiveViewRender() { return GetViewHooks().StopActiveViewRender(); }
inline int UpdateActiveDocViews(int hint) { return GetViewHooks().UpdateActiveDocViews(hint); }

// Holds the active view's busy counter for its lifetime.
class ViewBusyScope {
public:
    ViewBusyScope() : m_hooks(GetViewHooks()) { m_hooks.EnterBusy(); }
    ~ViewBusyScope() { m_hooks.LeaveBusy(); }
    ViewBusyScope(const ViewBusyScope&) = delete;
    ViewBusyScope& operator=(const ViewBusyScope&) = delete;

private:
    ViewHooks& m_hooks;
};

// Update hints sent through UpdateActiveDocViews by the world model.
constexpr int kHintSelectionChanged = 8;
constexpr int kHintChannelDataChanged = 16;

} // namespace kv
