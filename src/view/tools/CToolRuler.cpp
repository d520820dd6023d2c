#include "view/tools/CToolRuler.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "document/CKVDoc.h"
#include "platform/CLocale.h"
#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"
#include "world/GreatCircle.h"

#include <cmath>

namespace kv {

namespace {

constexpr int kRulerCursor = 538;
constexpr int kRulerAddCursor = 539;
constexpr double kDegToRad = M_PI / 180.0;

// The distance text in km or miles.
std::string DistanceText(double km, bool metric)
{
    if (metric)
        return FormatC("Distance: %0.2f %s", km, "km");
    const double miles = km * 1000.0 * static_cast<double>(3.28084f) / 5280.0;
    return FormatC("Distance: %0.2f %s", miles, "mi");
}

double CircumferenceOf(const ToolEvent& event)
{
    if (CKVDoc* doc = DocumentOf(event))
        return doc->GetWorld().circumference;
    return event.world ? event.world->circumference : 0.0;
}

} // namespace

CToolRuler::CToolRuler()
    : CToolSelectBase({"", 32, false, {kRulerCursor, kRulerAddCursor, kRulerAddCursor},
                       "Left click to start measurement, Shift+Click to add segment, Click again for distance "
                       "readout"})
{
}

bool CToolRuler::OnLButtonDown(ToolEvent& event)
{
    UpdateModeFromKeys(event);
    GeoPoint point;
    const bool onMap = PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude);
    if (!m_drawing) {
        if (!onMap)
            return false;
        StartOutline(point);
        m_outline.push_back(point);
        m_drawing = 1;
        DrawFeedback(event);
        return true;
    }
    if (m_mode != 0) {
        if (!onMap)
            return false;
        DrawFeedback(event);
        m_outline.push_back(point);
        DrawFeedback(event);
        return true;
    }
    DrawFeedback(event);
    m_drawing = 0;
    const std::string text = Readout(m_outline, CircumferenceOf(event), IsMetric());
    FreeOutline();
    ShowMessage(text);
    return true;
}

bool CToolRuler::OnMouseMove(ToolEvent& event)
{
    if (!m_drawing)
        return false;
    GeoPoint point;
    if (!PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude))
        return false;
    DrawFeedback(event);
    if (m_outline.size() >= 2)
        m_outline.back() = point;
    DrawFeedback(event);
    return true;
}

std::string CToolRuler::Readout(const std::vector<GeoPoint>& points, double circumference, bool metric) const
{
    double total = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i)
        total += GreatCircleAngle(points[i - 1].latitude * kDegToRad, points[i - 1].longitude * kDegToRad,
                                  points[i].latitude * kDegToRad, points[i].longitude * kDegToRad);
    const double km = total * circumference / (2.0 * M_PI);
    // Under two points there is no last segment: its differences are 0.
    double dLat = 0.0, dLon = 0.0;
    if (points.size() >= 2) {
        dLat = points.back().latitude - points[points.size() - 2].latitude;
        dLon = points.back().longitude - points[points.size() - 2].longitude;
    }
    return DistanceText(km, metric) + FormatC("\ndLat, dLon: %0.2f, %0.2f deg", dLat, dLon);
}

std::string CToolPlanarRuler::Readout(const std::vector<GeoPoint>& points, double circumference, bool metric) const
{
    double total = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i)
        total += std::hypot(points[i].latitude - points[i - 1].latitude, points[i].longitude - points[i - 1].longitude);
    return DistanceText(total * circumference / 360.0, metric);
}

std::unique_ptr<MouseTool> MakeRuler(const ToolCreateArgs& args)
{
    if (args.spherical)
        return std::make_unique<CToolRuler>();
    return std::make_unique<CToolPlanarRuler>();
}

} // namespace kv
