#include "gui/sheets/CWorldEditSheet.h"

#include "base/DisplayUnits.h"
#include "gui/sheets/CWorldEditPages.h"
#include "view/CKVView.h"
#include "view/ViewDocument.h"
#include "view/WorldSettingsValues.h"

namespace kv {

void CWorldEditPage::SetDefaults() { Working().SetDefaults(); }

CWorldEditSheet* CWorldEditPage::WorldSheet() const { return static_cast<CWorldEditSheet*>(Sheet()); }
SurfMap& CWorldEditPage::Working() const { return m_bound ? *m_bound : WorldSheet()->Working(); }
int CWorldEditPage::Metric() const { return m_bound ? m_boundMetric : WorldSheet()->Metric(); }

CWorldEditSheet::CWorldEditSheet(QWidget* parent) : CSettingsSheet(QString::fromUtf8(kCaption), parent)
{
    // The copy never holds grids: only the parameters and the grid size are edited here.
    for (auto& grid : m_working.grids)
        grid.reset();
    m_selection = new CWorldEditSelection;
    m_primary = new CWorldEditPrimary;
    m_misc = new CWorldEditMisc;
    m_editing = new CWorldEditEditing;
    m_fractal = new CWorldEditFractalBasis;
    m_temperature = new CWorldEditTemperature;
    m_rainfall = new CWorldEditRainfall;
    AddPage(m_selection, tr("Selection"));
    AddPage(m_primary, tr("Primary"));
    AddPage(m_misc, tr("Secondary"));
    AddPage(m_editing, tr("Editing"));
    AddPage(m_fractal, tr("Fractal Function"));
    AddPage(m_temperature, tr("Temperature"));
    AddPage(m_rainfall, tr("Rainfall"));
}

CWorldEditSheet::~CWorldEditSheet() = default;

void CWorldEditSheet::LoadWorld(const SurfMap& world)
{
    CopyWorldSettings(m_working, world);
    m_metric = MetricUnits.load();
    m_primary->SetSizeChoice(WorldSizeDisplay.load() != 0 ? 1 : 0);
}

void CWorldEditSheet::ApplyChanges()
{
    if (!ReadPages())
        return;
    CKVView* view = GetActiveKVView();
    if (view == nullptr)
        return;
    const int width = m_editing->HasWindow() ? m_editing->Width() : m_working.gridWidth;
    m_working.gridWidth = width;
    m_working.gridHeight = width / 2;
    const bool keep = m_primary->ApplyToCurrent();
    view->ApplyWorldSettings(m_working, m_metric, m_primary->SizeChoice(), keep);
    // The copy keeps the applied values at the size the world took.
    const SurfMap& world = view->Document().World();
    m_working.gridWidth = world.gridWidth;
    m_working.gridHeight = world.gridHeight;
    RefreshPages();
}

} // namespace kv
