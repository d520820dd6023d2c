// The map view's tools: the current and the suspended tool, the tool code and size, the
// per-channel amounts and value range the painting tools read, the size presets, and the
// turning of mouse, keyboard, cursor and context-menu input into tool events.
//
// Tool code: tool id in bits 0-11, size class in bits 20-23 (1 extra large, 2 large,
// 3 small, 4 extra small; 0 counts as small), 0x40000000 the painting family, 0x20000000
// an image-overlay tool.
//
// It knows the window and the document only through ToolHost, whose calls all have
// harmless defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class AppSettings;
class ChannelBrush;
class CKVDoc;
class FeedbackCanvas;
class ProjectionParms;
class MouseTool;
class SurfMap;
class ToolOptionsBar;
class ToolWindow;
struct ToolEvent;

// A hot rectangle of a start-up page; a point lies in it when left <= x < right and
// top <= y < bottom.
struct HotRect {
    int left = -2, top = -2, right = -1, bottom = -1;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The three hot rectangles of a start-up page: next page, previous page, close.
struct StartupPage {
    HotRect next, previous, close;
};

// What the properties bar shows of the point under the pointer.
struct CursorInfo {
    int x = 0, y = 0;
    bool onMap = false;
    double latitude = 0.0, longitude = 0.0;
    float altitude = 0.0f, temperature = 0.0f, rainfall = 0.0f;
    float waterLevel = 0.0f;  // metres
    int climate = -1;
    std::string className;
};

class ToolHost {
public:
    virtual ~ToolHost() = default;
    virtual SurfMap* World() { return nullptr; }
    // Through the view's sampler; false (zeros) without one or off the map.
    virtual bool PixelToLatLon(int /*x*/, int /*y*/, double& latitude, double& longitude)
    {
        latitude = longitude = 0.0;
        return false;
    }
    // Fills altitude, temperature, rainfall, climate and its name at an on-map point.
    virtual void EvaluatePoint(CursorInfo&) {}
    // The map view properties bar.
    virtual void ShowCursorInfo(const CursorInfo&) {}
    virtual bool StartupFileActive() const { return false; }
    // Preference ZS: click-drag-release zoom.
    virtual bool ZoomWindowStyle() const { return false; }
    // The opacity (0..255) of the document's active image overlay; false without one.
    virtual bool ActiveOverlayOpacity(int& alpha) const
    {
        alpha = 255;
        return false;
    }
    // An image-overlay tool takes the active overlay and the drawing colour.
    virtual void GiveOverlayTool(MouseTool&, uint32_t /*colour*/) {}
    // Per-tool brush records of the painting tools: in use, give the tool its record,
    // set both sizes of the record.
    virtual bool BrushRecordInUse(int /*toolId*/) const { return false; }
    virtual void ApplyBrushRecord(MouseTool&, int /*toolId*/) {}
    virtual void SetBrushRecordSize(int /*toolId*/, int /*size*/) {}
    // The main frame's status bar (empty: the idle message).
    virtual void SetStatusText(const std::string&) {}
    // The view's own context menu (popup 1004's first submenu) at a view point.
    virtual void ShowContextMenu(int /*x*/, int /*y*/) {}
    virtual ToolWindow* Window() { return nullptr; }
    virtual ToolOptionsBar* OptionsBar() { return nullptr; }

    // ---- navigation ----
    // The view's projection parameters (null without a view).
    virtual const ProjectionParms* ViewProjection() { return nullptr; }
    // Records the view's projection in its history (Zoom Prior goes back to it).
    virtual void PushViewHistory() {}
    // Draws the current tool's feedback (XOR) over the window once: a second call erases it.
    virtual void XorToolFeedback() {}
    // Keeps the mouse's events in the window while set.
    virtual void CaptureMouse(bool /*capture*/) {}

    // ---- the start-up guide's file ----
    virtual int GetStartupLine() const { return -1; }
    // Returns the previous index.
    virtual int SetStartupLine(int n) { return n; }
    // The hot rectangles of line n: 0, or negative when it cannot be read.
    virtual int ReadStartupPage(int /*n*/, StartupPage& /*page*/) { return -4; }
    virtual int ClearStartupFile() { return 0; }
    // ---- what the map-editing tools reach ----
    // The document the view shows (null: none).
    virtual CKVDoc* EditedDocument() { return nullptr; }
    // Through the view's sampler; false off the map or without one.
    virtual bool LatLonToPixel(double /*latitude*/, double /*longitude*/, int& x, int& y)
    {
        x = y = 0;
        return false;
    }
    // One stroke point of the view (CKVView::PaintStroke); false when nothing was painted.
    virtual bool PaintStroke(int /*code*/, int /*x*/, int /*y*/, bool /*press*/, ChannelBrush&) { return false; }
    // Draws the current tool's feedback once more (XOR) on the window at once.
    virtual void ToggleToolFeedback() {}
    // Where tools draw and erase their feedback outside DrawFeedback (null: nowhere).
    virtual FeedbackCanvas* FeedbackTarget() { return nullptr; }
    // The view's keep-image flag (the overlay paint tools keep the shown image).
    virtual void SetKeepImage(bool /*keep*/) {}
};

// The amounts each painting tool applies.
struct ToolAmounts {
    float temperature = 1.0f;
    float rainfall = 1.0f;
    float roughness = 0.1f;
    float offset = 50.0f;
    float water = 100.0f;
    float prescale = 0.01f;
    int climate = 0;
};

class ViewInput {
public:
    static constexpr int kIdMask = 0xFFF;
    static constexpr int kSizeMask = 0xF00000;
    static constexpr int kSizeXL = 0x100000;
    static constexpr int kSizeLG = 0x200000;
    static constexpr int kSizeSM = 0x300000;
    static constexpr int kSizeXS = 0x400000;
    static constexpr int kPaintingFamily = 0x40000000;
    static constexpr int kOverlayTool = 0x20000000;
    static constexpr int kNoTool = 0;
    static constexpr int kZoomTool = 1;
    static constexpr int kPanTool = 2;
    static constexpr int kCraterTool = 30;
    static constexpr int kStartupTool = 29;
    // Channel amounts' profile ranges.
    static constexpr int kMaxBrushSize = 127;
    static constexpr double kMinCraterSize = 0.001, kMaxCraterSize = 100000.0;
    static constexpr double kMinCraterForRadius = 0.1;
    static constexpr int kMaxClimateCode = 16;

    explicit ViewInput(ToolHost& host);
    // Deactivates and deletes the tools.
    ~ViewInput();
    ViewInput(const ViewInput&) = delete;
    ViewInput& operator=(const ViewInput&) = delete;

    // Profile section "Tools": amounts as integers x 1000, presets, crater size, sea step.
    void ReadProfile(const AppSettings& profile);
    void WriteProfile(const AppSettings& profile) const;

    // The first tool: the start-up guide when a startup file is open, else the no-action
    // tool with the extra-large size bits in its code; the current size bits stay small.
    void CreateFirstTool(bool startupFile);

    // Selects a tool (-1: the current id / size bits); `suspend` keeps the current tool to
    // come back to. Returns what the factory said (true: a known id).
    bool SetTool(int id, int sizeBits = -1, bool suspend = false, double argument = 0.0);
    // The size commands: only for a painting-family tool with a non-zero id.
    void SetToolSize(int sizeBits);
    // Builds the current tool again with its id and size (after its settings changed).
    void RebuildTool();
    // An image-overlay tool gives way to the no-action tool (a temporary tool over it ends
    // first); other tools stay.
    void DropOverlayTool();
    void SyncToolValues();
    void SetToolAmount(int code, float value);
    // The amount of the tool id's channel (0 for an id that paints none).
    float AmountFor(int code) const;
    void UpdateCursorInfo(int x, int y);
    // The crater tool's argument: the crater size (at least 0.1) as an angular radius.
    double CraterRadiusDegrees() const;
    // The size preset for size bits.
    int SizePreset(int sizeBits) const;

    // ---- input; each returns whether the tool handled it ----
    bool OnMouse(int message, unsigned keyFlags, int x, int y, int wheelDelta = 0);
    // `autoRepeat`: a key held down; repeated presses and releases are ignored for Space
    // and Z, so holding either keeps the temporary tool.
    bool OnKeyDown(int keyCode, bool autoRepeat = false);
    bool OnKeyUp(int keyCode, bool autoRepeat = false);
    bool OnSetCursor();
    // The context menu at a view point; from the keyboard it opens at (5, 5).
    void OnContextMenu(int x, int y, bool fromKeyboard);
    bool DrawFeedback(FeedbackCanvas& canvas);

    // ---- for the paint tools ----
    // Gives the brush the tool value and range, then one stroke point of the view at pixel
    // (x, y); `press` starts the stroke's undo step.
    bool PaintStroke(int code, int x, int y, bool press, ChannelBrush& brush);
    bool PixelToLatLon(int x, int y, double& latitude, double& longitude)
    {
        return m_host.PixelToLatLon(x, y, latitude, longitude);
    }
    bool LatLonToPixel(double latitude, double longitude, int& x, int& y)
    {
        return m_host.LatLonToPixel(latitude, longitude, x, y);
    }
    // Altitude, temperature, rainfall and climate at a point on the map.
    CursorInfo EvaluateAt(double latitude, double longitude);
    void ToggleToolFeedback() { m_host.ToggleToolFeedback(); }
    SurfMap* World() { return m_host.World(); }
    // Set while a paint tool is current.
    void SetPainting(bool painting) { m_painting = painting; }
    bool IsPainting() const { return m_painting; }

    // ---- state ----
    MouseTool* CurrentTool() const { return m_tool.get(); }
    MouseTool* SuspendedTool() const { return m_suspended.get(); }
    int CurrentId() const { return CurrentCode() & kIdMask; }
    int CurrentSizeBits() const { return m_sizeBits; }
    int CurrentCode() const;
    bool IsPaintingTool() const { return (CurrentCode() & kPaintingFamily) != 0; }
    ToolHost& Host() const { return m_host; }
    ToolAmounts& Amounts() { return m_amounts; }
    const ToolAmounts& Amounts() const { return m_amounts; }
    float ToolValue() const { return m_value; }
    float RangeMinimum() const { return m_minimum; }
    float RangeMaximum() const { return m_maximum; }
    uint32_t DrawingColour() const { return m_drawingColour; }
    void SetDrawingColour(uint32_t colour) { m_drawingColour = colour; }
    int presetXL = 31, presetLG = 20, presetSM = 10, presetXS = 3;
    double craterSize = 500.0;
    float seaStep = 5.0f;
    const CursorInfo& Cursor() const { return m_cursor; }

private:
    ToolEvent MakeEvent(int message) const;
    // Builds the tool for `code`, makes it current and runs the steps after creation.
    bool CreateAndFinish(int code, double argument);

    ToolHost& m_host;
    ToolAmounts m_amounts;
    float m_value = 0.0f, m_minimum = 0.0f, m_maximum = 1.0f;
    uint32_t m_drawingColour = 0;
    std::unique_ptr<MouseTool> m_tool;
    std::unique_ptr<MouseTool> m_suspended;
    int m_sizeBits = kSizeSM;
    CursorInfo m_cursor;
    bool m_painting = false;
};

} // namespace kv
