// The world document as the map view and the off-screen images see it (ViewDocument over
// CKVDoc): its world, overlays, grids and rivers, its first view's settings and the edits
// the view starts.
#pragma once

#include "view/ViewDocument.h"

namespace kv {

class CKVDoc;

class DocumentAdapter final : public ViewDocument {
public:
    explicit DocumentAdapter(CKVDoc& document) : m_doc(document) {}

    CKVDoc& Document() { return m_doc; }

    SurfMap& World() override;
    ViewSettings& Settings() override;
    void AttachView(DocumentView* view) override;
    void DetachView(DocumentView* view) override;
    const void* Identity() const override { return &m_doc; }
    std::string SettingsFolder() const override;
    ImageOverlayList* Overlays() override;

    bool HasGrids() const override;
    void DrawGrids(Canvas& colour, Canvas& mask, SurfaceSampler& sampler, double step) override;
    int GridCount() const override;
    ViewGridEntry GridEntry(int index) const override;
    void DrawGridLines(int index, Canvas& canvas, SurfaceSampler& sampler) override;

    bool ShowsRivers() const override;
    void DrawRivers(Canvas& canvas, SurfaceSampler& sampler, int imageWidth) override;

    void SetWorldShift(double latitudeShift, double longitudeShift) override;
    void Recalculate() override;
    void SetUntitled() override;
    int PaintChannel(int channel, const char* stepName, double latitude, double longitude, ChannelBrush& brush,
                     bool strokeStart) override;

private:
    CKVDoc& m_doc;
};

} // namespace kv
