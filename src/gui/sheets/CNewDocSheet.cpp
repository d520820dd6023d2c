#include "gui/sheets/CNewDocSheet.h"

#include "base/MessageService.h"
#include "base/noise/CSourceDatabase.h"
#include "document/NewWorldWizardSteps.h"
#include "exchange/BinaryImport.h"
#include "gui/controls/DialogParts.h"
#include "gui/exchange/CBinaryImportDlg.h"
#include "gui/sheets/CWorldEditPages.h"
#include "view/WorldSettingsValues.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

struct TypeButton {
    int kind;
    const char* text;
};
constexpr TypeButton kTypeButtons[] = {
    {kSurfaceProcedural, "&Synthetic World"},
    {kSurfaceImported, "&Binary File"},
    {kSurfaceProceduralNoRoughness, "&Flat World"},
    {kSurfaceProceduralPlanar, "&Planar World"},
};

} // namespace

// ---------------------------------------------------------------------------------------
// Type

CNewDocType::CNewDocType(CNewDocSheet& sheet) : CNewDocPage(sheet)
{
    auto* layout = new QVBoxLayout(this);
    m_group = new QButtonGroup(this);
    for (const TypeButton& b : kTypeButtons) {
        auto* button = new QRadioButton(QString::fromUtf8(b.text));
        m_group->addButton(button, b.kind);
        layout->addWidget(button);
    }
    layout->addStretch(1);
}

QRadioButton* CNewDocType::Button(int kind) const { return qobject_cast<QRadioButton*>(m_group->button(kind)); }

void CNewDocType::OnSetActive()
{
    if (QRadioButton* button = Button(Sheet().Working().surfaceType)) {
        button->setChecked(true);
        return;
    }
    // A kind without a button: none is checked.
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

void CNewDocType::OnKillActive() { Sheet().Working().surfaceType = KindOfTypeButton(m_group->checkedId()); }

bool CNewDocType::validatePage()
{
    if (m_group->checkedId() < 0 || PageAfterType(KindOfTypeButton(m_group->checkedId())) < 0) {
        ShowMessage(kUnimplementedTypeMessage);
        return false;
    }
    return true;
}

int CNewDocType::nextId() const
{
    const int checked = m_group->checkedId();
    // Without a checked button Next stays (validatePage refuses); the id only keeps the
    // button a Next button.
    return checked < 0 ? kPageSynthetic : PageAfterType(KindOfTypeButton(checked));
}

// ---------------------------------------------------------------------------------------
// Synthetic World

CNewDocSynthetic::CNewDocSynthetic(CNewDocSheet& sheet) : CNewDocPage(sheet)
{
    for (auto& grid : m_fields.grids)
        grid.reset();
    auto* layout = new QVBoxLayout(this);
    m_primary = new CWorldEditPrimary;
    // The unit labels follow the document-wide setting as it was when the wizard opened.
    m_primary->BindWorking(&m_fields, Sheet().Working().metric);
    m_primary->ApplyCheck()->hide();
    layout->addWidget(m_primary);
    auto* methodRow = new QGridLayout;
    m_method = new QComboBox;
    auto* methodLabel = new QLabel(tr("&Method:"));
    methodLabel->setBuddy(m_method);
    methodRow->addWidget(methodLabel, 0, 0);
    methodRow->addWidget(m_method, 0, 1);
    layout->addLayout(methodRow);
    layout->addStretch(1);
}

void CNewDocSynthetic::OnSetActive()
{
    NewDocSettings& working = Sheet().Working();
    if (!m_initialised) {
        m_initialised = true;
        CopyWorldSettings(m_fields, working.world);
        m_primary->SetSizeChoice(working.worldSizeDisplay != 0 ? 1 : 0);
        m_primary->RefreshControls();
        const auto sources = GetSourceDatabase().ListSources(working.world.basisId);
        for (const auto& item : sources.items)
            m_method->addItem(Text(item.name), item.id);
        m_method->setCurrentIndex(sources.selected);
    }
    Sheet().setWindowTitle(Text(ParametersTitle(working.surfaceType)));
}

bool CNewDocSynthetic::validatePage()
{
    if (!m_primary->ReadControls())
        return false;
    NewDocSettings& working = Sheet().Working();
    SurfMap& w = working.world;
    w.maxAltitude = m_fields.maxAltitude;
    w.minAltitude = m_fields.minAltitude;
    w.circumference = m_fields.circumference;
    w.sourceParms.seed = m_fields.sourceParms.seed;
    w.sourceParms.H = m_fields.sourceParms.H;
    w.waterPercent = m_fields.waterPercent;
    w.landSize = m_fields.landSize;
    if (m_method->currentIndex() >= 0)
        w.basisId = m_method->currentData().toInt();
    working.worldSizeDisplay = m_primary->SizeChoice();
    return true;
}

int CNewDocSynthetic::nextId() const { return kPageSummary; }

// ---------------------------------------------------------------------------------------
// Binary Data

CNewDocBinData::CNewDocBinData(CNewDocSheet& sheet) : CNewDocPage(sheet)
{
    auto* layout = new QVBoxLayout(this);
    m_elevation = new QLabel;
    m_color = new QLabel;
    m_elevation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_color->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_choose = new QPushButton(tr("Choose &Elevation File"));
    layout->addWidget(m_elevation);
    layout->addWidget(m_choose);
    layout->addWidget(m_color);
    layout->addStretch(1);
    connect(m_choose, &QPushButton::clicked, this, &CNewDocBinData::ChooseElevationFile);
}

void CNewDocBinData::ShowNames()
{
    m_elevation->setText(Text(Sheet().Working().surface1.GetFileName()));
    m_color->setText(Text(Sheet().Working().surface2.GetFileName()));
}

void CNewDocBinData::OnSetActive() { ShowNames(); }

void CNewDocBinData::OnKillActive()
{
    NewDocSettings& working = Sheet().Working();
    working.secondSurfaceMode = ColouringAfterBinaryPage(working.secondSurfaceMode);
}

void CNewDocBinData::ChooseElevationFile()
{
    CISurf& surface = Sheet().Working().surface1;
    CBinaryImportDlg dialog(this);
    dialog.values = ValuesFromSurface(surface);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    ValuesToSurface(dialog.values, surface);
    ShowNames();
}

bool CNewDocBinData::validatePage()
{
    CISurf& surface = Sheet().Working().surface1;
    const int result = surface.MapFile();
    if (result != CISurf::kMapOk) {
        ShowMessage(UnmappableElevationMessage(result, surface.GetFileName()));
        return false;
    }
    return true;
}

int CNewDocBinData::nextId() const { return kPageSummary; }

// ---------------------------------------------------------------------------------------
// Summary

CNewDocSummary::CNewDocSummary(CNewDocSheet& sheet) : CNewDocPage(sheet)
{
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel;
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel;
    m_text->setWordWrap(true);
    layout->addWidget(m_title);
    layout->addWidget(m_text);
    layout->addStretch(1);
}

void CNewDocSummary::OnSetActive()
{
    const NewDocSettings& working = Sheet().Working();
    m_title->setText(Text(SummaryTitle(working.surfaceType)));
    m_text->setText(Text(SummaryText(working.surfaceType, working.surface1.GetFileName())));
}

// ---------------------------------------------------------------------------------------
// The sheet

CNewDocSheet::CNewDocSheet(const NewDocSettings& settings, QWidget* parent) : QWizard(parent), m_working(settings)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setWizardStyle(QWizard::ClassicStyle);
    m_type = new CNewDocType(*this);
    m_synthetic = new CNewDocSynthetic(*this);
    m_binary = new CNewDocBinData(*this);
    m_summary = new CNewDocSummary(*this);
    setPage(kPageType, m_type);
    setPage(kPageSynthetic, m_synthetic);
    setPage(kPageBinary, m_binary);
    setPage(kPageSummary, m_summary);
    setStartId(kPageType);
    connect(this, &QWizard::currentIdChanged, this, &CNewDocSheet::PageChanged);
}

void CNewDocSheet::PageChanged(int id)
{
    if (auto* left = qobject_cast<CNewDocPage*>(page(m_current)))
        left->OnKillActive();
    m_current = id;
    if (auto* entered = qobject_cast<CNewDocPage*>(page(id)))
        entered->OnSetActive();
}

void CNewDocSheet::keyPressEvent(QKeyEvent* event)
{
    // Help is asked for on every page and nothing answers it.
    if (event->key() == Qt::Key_F1) {
        event->accept();
        return;
    }
    QWizard::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// The document's wizard

int WindowNewWorldWizard::Run(NewDocSettings& settings)
{
    CNewDocSheet sheet(settings, QApplication::activeWindow());
    if (RunModal(sheet) != QDialog::Accepted)
        return kCancel;
    settings = sheet.Working();
    return kFinish;
}

NewWorldWizard* InstallNewWorldWizard()
{
    static WindowNewWorldWizard wizard;
    return SetNewWorldWizard(&wizard);
}

} // namespace kv
