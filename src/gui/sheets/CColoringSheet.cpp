#include "gui/sheets/CColoringSheet.h"

#include "document/DocumentContext.h"
#include "gui/sheets/CColoringPages.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"

#include <QPointer>

#include <mutex>

namespace kv {

namespace {

QPointer<CColoringSheet>& SheetWindow()
{
    static QPointer<CColoringSheet> sheet;
    return sheet;
}

// What the registry holds: the window, freed with the handle unless its parent freed it.
class ColoringSheetHandle : public ColoringSheet {
public:
    explicit ColoringSheetHandle(QWidget* parent) : m_sheet(new CColoringSheet(parent)) { SheetWindow() = m_sheet; }
    ~ColoringSheetHandle() override { delete m_sheet.data(); }
    void Show(int showCommand) override
    {
        if (m_sheet)
            m_sheet->setVisible(showCommand != 0);
    }
    bool IsVisible() const override { return m_sheet && m_sheet->isVisible(); }
    void LoadActiveViewLighting() override
    {
        if (CKVView* view = GetActiveKVView(); view != nullptr && m_sheet)
            m_sheet->Working() = view->Light();
    }
    void SetLighting(const LightParms& light) override
    {
        if (m_sheet)
            m_sheet->Working() = light;
    }
    void RefreshPages() override
    {
        if (m_sheet)
            m_sheet->RefreshPages();
    }
    void DestroyWindow() override
    {
        if (m_sheet)
            m_sheet->hide();
    }

private:
    QPointer<CColoringSheet> m_sheet;
};

} // namespace

void CColoringPage::SetDefaults()
{
    Working().ResetLight();
    Working().SetDefaultColorLists();
}

CColoringSheet* CColoringPage::ColoringSheet() const { return static_cast<CColoringSheet*>(Sheet()); }
LightParms& CColoringPage::Working() const { return ColoringSheet()->Working(); }

CColoringSheet::CColoringSheet(QWidget* parent) : CSettingsSheet(QString::fromUtf8(kCaption), parent)
{
    m_selection = new CColoringSelection;
    m_intensity = new CColoringIntensity;
    m_altitude = new CColoringAltitude;
    m_temperature = new CColoringClimateRamp(CColoringClimateRamp::kTemperature);
    m_rainfall = new CColoringClimateRamp(CColoringClimateRamp::kRainfall);
    m_climate = new CColoringClimate;
    AddPage(m_selection, tr("Select Coloring Scheme"));
    AddPage(m_intensity, tr("Intensity"));
    AddPage(m_altitude, tr("Altitude"));
    AddPage(m_temperature, tr("Temperature"));
    AddPage(m_rainfall, tr("Rainfall"));
    AddPage(m_climate, tr("Climate"));
}

CColoringSheet::~CColoringSheet() = default;

void CColoringSheet::ApplyChanges()
{
    if (!ReadPages())
        return;
    CKVView* view = GetActiveKVView();
    if (view == nullptr)
        return;
    view->EnterBusy();
    {
        // The render worker reads the lighting under the view lock.
        std::lock_guard<std::mutex> lock(view->ViewLock());
        view->Light() = m_working;
    }
    if (UpdateActiveDocViews(nullptr, kLightingHint, nullptr) != 0)
        view->OnUpdate(kLightingHint);
    view->LeaveBusy();
}

void InstallColoringSheetFactory(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    SetColoringSheetFactory([owner] { return std::make_unique<ColoringSheetHandle>(owner.data()); });
}

CColoringSheet* GetColoringSheetWindow() { return SheetWindow().data(); }

} // namespace kv
