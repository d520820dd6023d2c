// The map view's zoom and pan commands, the view history and saved views.
#include "view/CKVView.h"

#include "projection/ProjectionRegistry.h"

namespace kv {

void CKVView::PushViewHistory()
{
    m_history.push_back(Projection());
    while (m_history.size() > static_cast<size_t>(kHistoryDepth))
        m_history.pop_front();
}

void CKVView::ZoomExtents()
{
    PushViewHistory();
    // The worker reads the projection: it stops before the parameters change.
    StopRenderWorker();
    Projection().SetScale(1.0);
    Projection().SetOffset(0.0, 0.0);
    RestartRender();
}

void CKVView::ZoomIn()
{
    PushViewHistory();
    StopRenderWorker();
    Projection().SetScale(Projection().GetScale() * 0.5);
    RestartRender();
}

void CKVView::ZoomOut()
{
    PushViewHistory();
    StopRenderWorker();
    Projection().SetScale(Projection().GetScale() * 2.0);
    RestartRender();
}

bool CKVView::ZoomPrior()
{
    if (m_history.empty())
        return false;
    StopRenderWorker();
    Projection() = m_history.back();
    m_history.pop_back();
    OnUpdate(1);
    return true;
}

void CKVView::PanStep(int dx, int dy)
{
    const int w = m_clientWidth, h = m_clientHeight;
    double ox = 0.0, oy = 0.0;
    Projection().GetOffset(ox, oy);
    // The hint carries the y offset first, then the x offset.
    TwoPtHint hint(oy, ox, 0.0, 0.0);
    hint.px1 = w / 2;
    hint.py1 = h / 2;
    // The second point moves against the map: a tenth of the client per step.
    hint.px2 = hint.px1 - dx * static_cast<int>(w * m_panStep / 100.0);
    hint.py2 = hint.py1 - dy * static_cast<int>(h * m_panStep / 100.0);
    OnUpdate(5, &hint);
}

void CKVView::MoveCentreStep(int dLat, int dLon)
{
    const double s = m_zoomStep * Projection().GetScale();
    m_frame->MoveViewCentre(dLat * s, dLon * s);
}

void CKVView::ApplyView(const CViewInfo& view)
{
    StopRenderWorker();
    Projection().SetProjectionByName(view.projectionName);
    Settings().shaderId = view.shaderId;
    Projection().SetCenter(view.centerLatitude, view.centerLongitude);
    Projection().SetOffset(view.offsetX, view.offsetY);
    Projection().SetScale(view.scale);
    RestartRender();
}

CViewInfo CKVView::MakeViewInfo(const std::string& name) const
{
    CViewInfo info;
    const ProjectionParms& p = Settings().projection;
    info.name = name;
    info.projectionName = ProjectionRegistry::Get().GetName(p.GetProjectionId());
    info.shaderId = Settings().shaderId;
    p.GetCenter(info.centerLatitude, info.centerLongitude);
    p.GetOffset(info.offsetX, info.offsetY);
    info.scale = p.GetScale();
    return info;
}

} // namespace kv
