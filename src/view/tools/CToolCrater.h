// The crater tools: a click places one crater (CKVDoc::DrawCrater) at the mouse, XOR rings
// (the rim and a quarter-radius ring, 64 points each) follow the mouse; Ctrl+drag sizes
// the crater by the latitude distance to where Ctrl went down, the wheel by a degree a
// notch, always within 0..90 degrees. CToolCrater draws great-circle rings on a spherical
// world, CPlanarCraterTool plain latitude/longitude circles.
#pragma once

#include "view/tools/MouseTool.h"
#include "view/tools/ToolContext.h"

#include <vector>

namespace kv {

class CToolCrater : public MouseTool {
public:
    static constexpr int kRingPoints = 64;
    static constexpr double kMaxRadius = 90.0;
    static constexpr int kStateNormal = 0;
    static constexpr int kStateSizing = 2;

    explicit CToolCrater(double radius);
    bool Activate(ToolEvent&) override { return true; }
    bool Deactivate(ToolEvent&) override { return true; }
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnKeyUp(ToolEvent& event) override;
    bool OnMouseWheel(ToolEvent& event) override;
    bool DrawFeedback(ToolEvent& event) override;

    // Ctrl as the mouse event has it: sizing without it is over (its key-up may have gone
    // to another window).
    void FollowControl(const ToolEvent& event);
    // A ring point at angle t (radians) for a ring of radius r degrees, in degrees.
    virtual void RingPoint(double r, double t, double& latitude, double& longitude) const;

    double CentreLatitude() const { return m_latitude; }
    double CentreLongitude() const { return m_longitude; }
    double Radius() const { return m_radius; }
    int State() const { return m_state; }

protected:
    double m_latitude = 0.0, m_longitude = 0.0;
    double m_radius;
    int m_state = kStateNormal;
    int m_savedState = kStateNormal;
    ToolEvent m_ctrlEvent;
    double m_anchorLongitude = 0.0, m_anchorLatitude = 0.0;
    ToolEvent m_lastMove;
    WheelNotches m_wheel;
};

class CPlanarCraterTool : public CToolCrater {
public:
    using CToolCrater::CToolCrater;
    void RingPoint(double r, double t, double& latitude, double& longitude) const override;
};

} // namespace kv
