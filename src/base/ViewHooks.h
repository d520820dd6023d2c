// What the world model asks of the map views: stop the active view's render worker
// before a grid or mask it reads is replaced, and broadcast an update hint to the
// active document's views after a change.
//
// The view layer installs its implementation with SetViewHooks; until it does (batch
// runs, tests), a default that does nothing and reports 0 is in force. Tests install
// their own to observe the calls.
#pragma once

namespace kv {

// The object that travels with an update hint (null for most hints). Receivers that expect
// one test its type.
class HintObject {
public:
    virtual ~HintObject() = default;
};

// Two points (or values) with a hint: hint 3 and 6 carry (latitude, longitude) in the first
// point; hint 11 carries the zoom factor in x1 and zeros elsewhere.
class TwoPtHint final : public HintObject {
public:
    TwoPtHint() = default;
    TwoPtHint(double ax1, double ay1, double ax2, double ay2) : x1(ax1), y1(ay1), x2(ax2), y2(ay2) {}
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    // The two pixel points of the hints that name pixels: the rectangle of hint 4, the
    // pixel of hint 7, the drag of hints 5 and 9 (whose doubles hold where it began).
    int px1 = 0, py1 = 0;
    int px2 = 0, py2 = 0;
};

class ViewHooks {
public:
    virtual ~ViewHooks() = default;
    // Stops the active view's render worker and waits for it; 0 when there is no view.
    virtual int StopActiveViewRender() = 0;
    // Sends `hint` (1..16) to the views of the active document; 0 on success.
    virtual int UpdateActiveDocViews(int hint) = 0;
    // Sends `hint` (1..16) with its object (null: none) to every view of `document` except
    // `sender` (null: none). A document calls it from its UpdateAllViews; only the view layer
    // knows both types. The default has no views: nothing is sent, 0.
    virtual int UpdateDocumentViews(const void* document, const void* sender, int hint, const HintObject* object)
    {
        (void)document, (void)sender, (void)hint, (void)object;
        return 0;
    }
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
// Hooks for the calling thread alone, in force over the process-wide ones while set (null:
// the process-wide ones again); returns the previous.
ViewHooks* SetThreadViewHooks(ViewHooks* hooks);

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
