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
class FeedbackCanvas;
class MouseTool;
class SurfMap;
class ToolOptionsBar;
class ToolWindow;
struct ToolEvent;

// What the properties bar shows of the point under the pointer.
struct CursorInfo {
    int x = 0, y = 0;
    bool onMap = false;
    double latitude = 0.0, longitude = 0.0;
    float altitude = 0.0f, temperature = 0.0f, rainfall = 0.0f;
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
    // tool with the extra-large size bits.
    void CreateFirstTool(bool startupFile);

    // Selects a tool (-1: the current id / size bits); `suspend` keeps the current tool to
    // come back to. Returns what the factory said (true: a known id).
    bool SetTool(int id, int sizeBits = -1, bool suspend = false, double argument = 0.0);
    // The size commands: only for a painting-family tool with a non-zero id.
    void SetToolSize(int sizeBits);
    void SyncToolValues();
    void SetToolAmount(int code, float value);
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

    // ---- state ----
    MouseTool* CurrentTool() const { return m_tool.get(); }
    MouseTool* SuspendedTool() const { return m_suspended.get(); }
    int CurrentId() const { return CurrentCode() & kIdMask; }
    int CurrentSizeBits() const { return m_sizeBits; }
    int CurrentCode() const;
    bool IsPaintingTool() const { return (CurrentCode() & kPaintingFamily) != 0; }
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
};

} // namespace kv
