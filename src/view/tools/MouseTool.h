// The base of every interactive tool of the map view.
//
// The view holds exactly one current tool (and at most one suspended one), built by tool
// code through CreateMouseTool, and forwards its mouse, keyboard, cursor, drawing and
// panel events to it. Every event has a harmless default, so a tool overrides only what it
// handles. Lifecycle: created, Activate, events while current, Deactivate, deleted.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class FeedbackCanvas;
class SurfMap;
class TwoPtHint;
class ToolOptionsBar;
class ToolWindow;
class ViewInput;

// Cursors are the program's resource ids; 0 is the system arrow.
constexpr int kCursorArrow = 0;
constexpr int kCursorPaintBrush = 529;
constexpr int kCursorPicker = 516;
constexpr int kCursorHandFirst = 520; // the pan tool's hand and grab states, 520..523
constexpr int kCursorHandLast = 523;
constexpr int kCursorZoom = 528;
constexpr int kCursorHandShiftDrag = 520; // Shift held: the centre moves
constexpr int kCursorHandShiftIdle = 521;
constexpr int kCursorHandDrag = 522;
constexpr int kCursorHandIdle = 523;
// The start-up guide's hot rectangles: previous, next, close.
constexpr int kCursorStartupPrevious = 542;
constexpr int kCursorStartupNext = 541;
constexpr int kCursorStartupClose = 540;

// Message codes of the tool event record.
enum ToolMessage : int {
    kToolMsgNone = 0,
    kToolMsgContextMenu = 123,
    kToolMsgKeyDown = 256,
    kToolMsgKeyUp = 257,
    kToolMsgMouseMove = 512,
    kToolMsgLButtonDown = 513,
    kToolMsgLButtonUp = 514,
    kToolMsgRButtonDown = 516,
    kToolMsgRButtonUp = 517,
    kToolMsgMouseWheel = 522,
};

// Key flags of mouse events.
enum ToolKeyFlag : unsigned {
    kToolFlagLButton = 0x01,
    kToolFlagRButton = 0x02,
    kToolFlagShift = 0x04,
    kToolFlagControl = 0x08,
    kToolFlagMButton = 0x10,
};

// Key codes of key events.
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyZ = 'Z';
constexpr int kWheelNotch = 120;

// What the view hands to a tool with every event.
struct ToolEvent {
    int message = kToolMsgNone;
    unsigned keyFlags = 0;
    int x = 0, y = 0;              // view pixels
    int keyCode = 0;
    int16_t wheelDelta = 0;        // 120 a notch, signed
    SurfMap* world = nullptr;
    ViewInput* view = nullptr;
    ToolOptionsBar* optionsBar = nullptr; // hosts option panels (null: none)
    ToolWindow* window = nullptr;          // where the cursor is shown (null: nowhere)
    FeedbackCanvas* canvas = nullptr;      // the feedback drawing target of DrawFeedback
};

// What GetToolInfo fills.
struct ToolInfo {
    int first = 0;
    int second = 0;
    std::string name;
    std::string toolTip;       // status word, line feed, tool-tip
    std::string description;
    std::string fourth;
    const void* handle = nullptr;
    const void* bitmap = nullptr;
    std::string valueCaption;
};

// The window a tool's cursor is shown in.
class ToolWindow {
public:
    virtual ~ToolWindow() = default;
    virtual void ApplyCursor(int cursorId) = 0;
};

class MouseTool {
public:
    explicit MouseTool(int id = 0, ToolWindow* window = nullptr) : m_id(id), m_window(window) {}
    virtual ~MouseTool() = default;
    MouseTool(const MouseTool&) = delete;
    MouseTool& operator=(const MouseTool&) = delete;

    virtual bool Activate(ToolEvent&) { return true; }
    virtual bool Deactivate(ToolEvent&) { return true; }
    // The view suspends the tool while Space or Z selects panning or zooming for a moment.
    virtual bool Suspend(ToolEvent&) { return true; }
    virtual bool Resume(ToolEvent&) { return true; }
    // Shows the tool's cursor in the window.
    virtual bool SetCursor(ToolEvent& event);
    virtual bool OnLButtonDown(ToolEvent&) { return false; }
    virtual bool OnLButtonUp(ToolEvent&) { return false; }
    virtual bool OnRButtonDown(ToolEvent&) { return false; }
    virtual bool OnRButtonUp(ToolEvent&) { return false; }
    virtual bool OnUnusedEvent10(ToolEvent&) { return false; }
    virtual bool OnUnusedEvent11(ToolEvent&) { return false; }
    virtual bool OnMouseMove(ToolEvent&) { return false; }
    virtual bool OnKeyUp(ToolEvent&) { return false; }
    virtual bool OnKeyDown(ToolEvent&) { return false; }
    virtual bool OnUnusedEvent15(ToolEvent&) { return false; }
    virtual bool OnMouseWheel(ToolEvent&) { return false; }
    // Called after each blit of the map image: XOR feedback into event.canvas.
    virtual bool DrawFeedback(ToolEvent&) { return false; }
    // The context menu at (x, y); false lets the view show its own.
    virtual bool OnContextMenu(ToolEvent&, int /*x*/, int /*y*/) { return false; }
    virtual bool UpdatePanel() { return true; }
    // False when the panel holds invalid input.
    virtual bool ReadPanel() { return true; }
    virtual bool GetToolInfo(ToolInfo&) { return false; }
    virtual std::string GetStatusText() const { return m_statusText; }

    int GetId() const { return m_id; }
    // Returns the old id.
    int SetId(int id);
    // Replaces the cursor, shows it at once and returns the old one.
    int ChangeCursor(int cursorId);
    // Makes a resource cursor the tool's cursor and shows it.
    void LoadToolCursor(int resourceId);
    int GetCursor() const { return m_cursor; }
    void SetStatusText(const char* text) { m_statusText = text ? text : ""; }
    void SetWindow(ToolWindow* window) { m_window = window; }
    ToolWindow* GetWindow() const { return m_window; }

    // The mouse-wheel zoom of the pan and zoom tools: the view is pushed onto its history,
    // then a forward turn of delta zooms in by 1 / (1.5 x delta / 120), a backward turn out
    // by 1.5 x |delta| / 120 (hint 11). A turn of 0 does nothing and returns false.
    static bool WheelZoom(ToolEvent& event);
    // Sends a view update hint with its two points to the active document's views.
    static int SendViewHint(int hint, const TwoPtHint& points);

private:
    std::string m_statusText;
    int m_cursor = kCursorArrow;
    int m_id = 0;
    ToolWindow* m_window = nullptr;
};

} // namespace kv
