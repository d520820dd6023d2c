#include "view/DocumentAdapter.h"

#include "document/CKVDoc.h"
#include "world/SurfaceSampler.h"

#include <climits>
#include <filesystem>

namespace kv {

SurfMap& DocumentAdapter::World()
{
    return m_doc.GetWorld();
}

ViewSettings& DocumentAdapter::Settings()
{
    return m_doc.GetViewSettings();
}

void DocumentAdapter::AttachView(DocumentView* view)
{
    m_doc.AttachView(view);
}

void DocumentAdapter::DetachView(DocumentView* view)
{
    m_doc.DetachView(view);
}

std::string DocumentAdapter::SettingsFolder() const
{
    return std::filesystem::path(CKVDoc::DefaultParmsPath()).parent_path().string();
}

ImageOverlayList* DocumentAdapter::Overlays()
{
    return &m_doc.GetOverlays();
}

bool DocumentAdapter::HasGrids() const
{
    return !m_doc.GetRectGrid().grids.empty() || m_doc.layerFlag != 0;
}

void DocumentAdapter::DrawGrids(Canvas& colour, Canvas& mask, SurfaceSampler& sampler, double step)
{
    m_doc.GetRectGrid().Draw(colour, mask, sampler, step);
}

int DocumentAdapter::GridCount() const
{
    return static_cast<int>(m_doc.GetRectGrid().grids.size());
}

ViewGridEntry DocumentAdapter::GridEntry(int index) const
{
    const RectInfo& grid = m_doc.GetRectGrid().grids[static_cast<size_t>(index)];
    return ViewGridEntry{grid.show != 0, grid.colour, grid.altitude};
}

void DocumentAdapter::DrawGridLines(int index, Canvas& canvas, SurfaceSampler& sampler)
{
    const CRectGrid& set = m_doc.GetRectGrid();
    const RectInfo& grid = set.grids[static_cast<size_t>(index)];
    grid.DrawAdaptive(canvas, sampler, set.subdivisionLevel, grid.south, grid.west, grid.north, grid.east,
                      set.adaptive != 0);
}

bool DocumentAdapter::ShowsRivers() const
{
    // The document's stored river flag (false for a new document) is read by the drawing
    // as the river-hiding flag: a new document shows the rivers it finds.
    return m_doc.GetRiverCount() > 0 && !m_doc.GetRiversHidden();
}

void DocumentAdapter::DrawRivers(Canvas& canvas, SurfaceSampler& sampler, int /*imageWidth*/)
{
    // No level limit is derived from the image width yet: every river is drawn.
    m_doc.GetRivers().Draw(canvas, sampler, INT_MAX);
}

void DocumentAdapter::SetWorldShift(double latitudeShift, double longitudeShift)
{
    m_doc.SetWorldShift(latitudeShift, longitudeShift);
}

void DocumentAdapter::Recalculate()
{
    m_doc.Recalculate();
}

void DocumentAdapter::SetUntitled()
{
    m_doc.SetPathName(std::string());
}

int DocumentAdapter::PaintChannel(int channel, const char* stepName, double latitude, double longitude,
                                  ChannelBrush& brush, bool strokeStart)
{
    SurfMap& world = m_doc.GetWorld();
    // The prescale channel exists only while it is enabled.
    if (world.Channel(channel) == nullptr)
        return -1;
    if (strokeStart)
        m_doc.RecordUndo(stepName, channel);
    const int result = world.BrushAtLatLon(channel, latitude, longitude, brush);
    m_doc.SetModifiedFlag(true);
    return result < 0 ? result : 0;
}

} // namespace kv
