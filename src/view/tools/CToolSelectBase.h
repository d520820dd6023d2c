// The outline tools: freehand, polygon, rectangle and ellipse selection, the four wands,
// the overlay colour picker for the selection, and (in CToolRuler.h) the two rulers.
//
// The base keeps the outline as latitude/longitude points, draws it as XOR feedback
// (thinned to at most 24000 / steps-per-segment segments, each sampled at that many
// points), reads the combine mode from Shift and Ctrl (1 add, 2 subtract, both 3
// intersect) and on completion records one selection undo step under the tool's name and
// fills the outline into the selection.
#pragma once

#include "base/GeoBounds.h"
#include "view/tools/FeedbackCanvas.h"
#include "view/tools/MouseTool.h"
#include "view/tools/ToolPanels.h"

#include <memory>
#include <string>
#include <vector>

namespace kv {

constexpr int kCursorSelectIntersect = 353;
constexpr int kKeyDelete = 46;
constexpr int kFillStepsPerSegment = 16;
constexpr int kFeedbackSampleBudget = 24000;
constexpr int kOutlineGrowStep = 1024;
// A corner value that lies off every map: the box tools' final drawing draws nothing.
constexpr double kNoCorner = -1000.0;

// The stride that keeps at most 24000 / steps segments of an outline of n points.
int OutlineStride(int n, int steps);

class CToolSelectBase : public MouseTool {
public:
    struct Style {
        const char* name;
        int steps;          // per feedback segment
        bool closed;
        int cursors[3];     // replace, add, subtract
        const char* status;
    };
    explicit CToolSelectBase(const Style& style);
    ~CToolSelectBase() override;

    bool Activate(ToolEvent& event) override;
    bool Deactivate(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnKeyUp(ToolEvent& event) override;
    bool DrawFeedback(ToolEvent& event) override;

    virtual bool LoadPanel();
    virtual bool StorePanel();
    // The panel's edits are read when they lose the focus, as the paint tools' are.
    bool ReadPanel() override { return StorePanel(); }
    bool UpdatePanel() override { return LoadPanel(); }
    virtual bool BeginOutline(ToolEvent& event);
    virtual bool CommitOutline(ToolEvent& event);
    virtual bool AddOutlinePoint(ToolEvent& event, bool checkRepeat);
    virtual bool CancelOutline(ToolEvent& event);
    virtual bool RemoveLastPoint();
    virtual bool MoveLastPoint(ToolEvent& event);
    virtual bool BuildOutline() { return true; }
    virtual void UpdateModeFromKeys(ToolEvent& event);

    // ---- state ----
    int Mode() const { return m_mode; }
    bool IsDrawing() const { return m_drawing != 0; }
    const std::vector<GeoPoint>& Outline() const { return m_outline; }
    const std::string& Name() const { return m_name; }
    const SelectPanelValues& PanelValues() const { return m_values; }
    SelectOptionsPanel* Panel() const { return m_panel.get(); }
    // The view pixels the last feedback drawing went through (tests and the bench).
    const std::vector<FeedbackPoint>& LastFeedback() const { return m_lastFeedback; }

protected:
    // The mode's cursor (intersect: 353).
    int ModeCursor() const;
    bool LastPixelIs(const ToolEvent& event) const { return event.x == m_lastX && event.y == m_lastY; }
    void TakePixel(const ToolEvent& event)
    {
        m_lastX = event.x;
        m_lastY = event.y;
    }
    void Redraw(ToolEvent& event) { DrawFeedback(event); }
    void FreeOutline() { std::vector<GeoPoint>().swap(m_outline); }
    void StartOutline(const GeoPoint& point);

    SelectPanelValues m_values;
    int m_panelOption = 1;
    int m_mode = 0;
    float m_intensity = 1.0f;
    int m_drawing = 0;
    int m_cursors[5];
    std::vector<GeoPoint> m_outline;
    int m_lastX = 0, m_lastY = 0;
    std::string m_name;
    int m_steps;
    bool m_closed;
    std::unique_ptr<SelectOptionsPanel> m_panel;
    std::vector<FeedbackPoint> m_lastFeedback;
};

class CToolSelectFreehand : public CToolSelectBase {
public:
    CToolSelectFreehand();
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;

protected:
    explicit CToolSelectFreehand(const Style& style) : CToolSelectBase(style) {}
};

class CToolSelectPolygon : public CToolSelectBase {
public:
    CToolSelectPolygon();
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool RemoveLastPoint() override;
};

class CToolSelectRectangle : public CToolSelectBase {
public:
    CToolSelectRectangle();
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool BuildOutline() override;

protected:
    explicit CToolSelectRectangle(const Style& style) : CToolSelectBase(style) {}
    double m_lat1 = 0.0, m_lon1 = 0.0, m_lat2 = 0.0, m_lon2 = 0.0;
};

class CToolSelectEllipse : public CToolSelectRectangle {
public:
    static constexpr int kPoints = 64;
    CToolSelectEllipse();
    bool BuildOutline() override;
};

class CToolSelectWand : public CToolSelectBase {
public:
    CToolSelectWand();
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent&) override { return false; }

protected:
    explicit CToolSelectWand(const Style& style) : CToolSelectBase(style) {}
};

class CToolSelectWandAltitude : public CToolSelectWand {
public:
    CToolSelectWandAltitude();
};
class CToolSelectWandRain : public CToolSelectWand {
public:
    CToolSelectWandRain();
};
class CToolSelectWandTemperature : public CToolSelectWand {
public:
    CToolSelectWandTemperature();
};
class CToolSelectWandClimate : public CToolSelectWand {
public:
    CToolSelectWandClimate();
};

// Selects every cell whose composite overlay colour is the clicked one. A matching cell of
// picked alpha a becomes 255 (replace), max(cell, a) (Shift), min(cell, 255 - a) (Ctrl),
// or 255 where the old cell is at least 128 (both); other cells become 0 in modes 0 and 3
// and keep their value in modes 1 and 2.
class CToolSelectColorPicker : public CToolSelectFreehand {
public:
    static constexpr const char* kProgressText = "Copying color to selection";
    CToolSelectColorPicker();
    bool OnLButtonDown(ToolEvent& event) override;
};

// The combined byte of one cell for the colour picker.
uint8_t CombinePickedCell(uint8_t cell, bool matches, uint8_t alpha, int mode);

} // namespace kv
