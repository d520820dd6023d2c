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
};

// The hooks in force (never null).
ViewHooks& GetViewHooks();
// Installs `hooks` (null restores the default) and returns the previous ones, or null
// when the default was in force. The caller keeps `hooks` alive while installed.
ViewHooks* SetViewHooks(ViewHooks* hooks);

// Shorthands that call the hooks in force.
inline int StopActiveViewRender() { return GetViewHooks().StopActiveViewRender(); }
inline int UpdateActiveDocViews(int hint) { return GetViewHooks().UpdateActiveDocViews(hint); }

// Update hints sent through UpdateActiveDocViews by the world model.
constexpr int kHintSelectionChanged = 8;
constexpr int kHintChannelDataChanged = 16;

} // namespace kv
