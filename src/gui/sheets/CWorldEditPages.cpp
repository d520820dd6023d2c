#include "gui/sheets/CWorldEditPages.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "base/noise/TexRecords.h"
#include "platform/CLocale.h"
#include "view/WorldSettingsValues.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

namespace {

const char* HeightUnit(int metric) { return metric ? "meters" : "feet"; }

// A row of a form: label, edit, unit label.
QLineEdit* AddEditRow(QGridLayout* grid, int row, const char* label, QLabel** unit = nullptr)
{
    auto* edit = new QLineEdit;
    grid->addWidget(new QLabel(QString::fromUtf8(label)), row, 0);
    grid->addWidget(edit, row, 1);
    if (unit != nullptr) {
        *unit = new QLabel;
        grid->addWidget(*unit, row, 2);
    }
    return edit;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

// The sizes of the Editing page's buttons: small, medium, large.
constexpr int kButtonWidths[3] = {256, 512, 1024};

} // namespace

// ---------------------------------------------------------------------------------------
// Selection

CWorldEditSelection::CWorldEditSelection(QWidget* parent)
    : CSettingsListPage(GetWorldsDir(GetAppSettings()), "srf", parent)
{
}

SurfMap& CWorldEditSelection::Working() const { return static_cast<CWorldEditSheet*>(Sheet())->Working(); }

int CWorldEditSelection::ReadInto(const std::string& path)
{
    SurfMap loaded;
    const int result = loaded.ReadParmsFile(path);
    if (result < 0)
        return result;
    // A world definition has no grid size: the working size stays.
    SurfMap& working = Working();
    const int width = working.gridWidth, height = working.gridHeight;
    CopyWorldSettings(working, loaded);
    working.gridWidth = width;
    working.gridHeight = height;
    return result;
}

bool CWorldEditSelection::WriteFrom(const std::string& path) { return Working().WriteParmsFile(path) == 0; }

// ---------------------------------------------------------------------------------------
// Primary

CWorldEditPrimary::CWorldEditPrimary(QWidget* parent) : CWorldEditPage(parent)
{
    auto* grid = new QGridLayout(this);
    m_peak = AddEditRow(grid, 0, "&Highest Peak:", &m_peakUnit);
    m_depth = AddEditRow(grid, 1, "L&owest Depth:", &m_depthUnit);
    m_sizeCombo = new QComboBox;
    m_sizeCombo->addItems({tr("Circumference"), tr("Diameter")});
    m_size = new QLineEdit;
    m_sizeUnit = new QLabel;
    grid->addWidget(m_sizeCombo, 2, 0);
    grid->addWidget(m_size, 2, 1);
    grid->addWidget(m_sizeUnit, 2, 2);
    m_seed = AddEditRow(grid, 3, "&World Seed:");
    auto* newSeed = new QPushButton(tr("New"));
    grid->addWidget(newSeed, 3, 2);
    const char* names[kSliderCount] = {"&Roughness:", "&Percent Sea:", "La&nd Size:"};
    const int lines[kSliderCount] = {5, 1, 5};
    const int pages[kSliderCount] = {100, 10, 100};
    const SliderScale* scales[kSliderCount] = {&kRoughnessSlider, &kPercentSeaSlider, &kLandSizeSlider};
    for (int i = 0; i < kSliderCount; ++i) {
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setRange(scales[i]->minimum, scales[i]->maximum);
        slider->setSingleStep(lines[i]);
        slider->setPageStep(pages[i]);
        m_sliders[static_cast<size_t>(i)] = slider;
        m_sliderLabels[static_cast<size_t>(i)] = new QLabel;
        grid->addWidget(new QLabel(QString::fromUtf8(names[i])), 4 + i, 0);
        grid->addWidget(slider, 4 + i, 1);
        grid->addWidget(m_sliderLabels[static_cast<size_t>(i)], 4 + i, 2);
        connect(slider, &QSlider::valueChanged, this, [this, i, scales](int position) {
            if (m_filling)
                return;
            // Only the moved slider is read back.
            m_moved[static_cast<size_t>(i)] = true;
            m_values[static_cast<size_t>(i)] = scales[i]->ValueAt(position);
            UpdateLabels();
        });
    }
    m_apply = new QCheckBox(tr("&Apply to current world"));
    m_apply->setChecked(true);
    grid->addWidget(m_apply, 7, 0, 1, 3);
    connect(newSeed, &QPushButton::clicked, this, &CWorldEditPrimary::NewSeed);
    connect(m_sizeCombo, &QComboBox::currentIndexChanged, this, &CWorldEditPrimary::OnSizeChoice);
}

bool CWorldEditPrimary::ApplyToCurrent() const { return m_apply->isChecked(); }

void CWorldEditPrimary::SetSizeChoice(int choice)
{
    m_sizeChoice = choice;
    const QSignalBlocker block(m_sizeCombo);
    m_sizeCombo->setCurrentIndex(choice);
}

void CWorldEditPrimary::RefreshControls()
{
    const SurfMap& w = Working();
    const int metric = Metric();
    m_filling = true;
    SetEditNumber(m_peak, static_cast<float>(HeightToDisplay(w.maxAltitude, metric)));
    SetEditNumber(m_depth, static_cast<float>(HeightToDisplay(w.minAltitude, metric)));
    SetEditNumber(m_size, static_cast<float>(WorldSizeToDisplay(w.circumference, metric, m_sizeChoice)));
    m_seed->setText(QString::number(w.sourceParms.seed));
    m_values = {w.sourceParms.H, w.waterPercent, w.landSize};
    m_moved = {};
    m_sliders[kRoughness]->setValue(kRoughnessSlider.PositionOf(w.sourceParms.H));
    m_sliders[kPercentSea]->setValue(kPercentSeaSlider.PositionOf(w.waterPercent));
    m_sliders[kLandSize]->setValue(kLandSizeSlider.PositionOf(w.landSize));
    {
        const QSignalBlocker block(m_sizeCombo);
        m_sizeCombo->setCurrentIndex(m_sizeChoice);
    }
    m_filling = false;
    m_peakUnit->setText(HeightUnit(metric));
    m_depthUnit->setText(HeightUnit(metric));
    m_sizeUnit->setText(metric ? "kilometers" : "miles");
    UpdateLabels();
}

void CWorldEditPrimary::UpdateLabels()
{
    m_sliderLabels[kRoughness]->setText(Text(FormatC("%0.2f", static_cast<float>(m_values[kRoughness]))));
    m_sliderLabels[kPercentSea]->setText(Text(FormatC("%0.0f", static_cast<float>(m_values[kPercentSea]))));
    m_sliderLabels[kLandSize]->setText(Text(FormatC("%0.2f", static_cast<float>(m_values[kLandSize]))));
}

bool CWorldEditPrimary::ReadControls()
{
    const auto peak = ReadEditNumber(m_peak);
    const auto depth = peak ? ReadEditNumber(m_depth) : std::nullopt;
    const auto size = depth ? ReadEditNumber(m_size) : std::nullopt;
    const auto seed = size ? ReadEditInt(m_seed, INT32_MIN, INT32_MAX) : std::nullopt;
    if (!seed)
        return false;
    SurfMap& w = Working();
    const int metric = Metric();
    w.maxAltitude = HeightFromDisplay(static_cast<float>(*peak), metric);
    w.minAltitude = HeightFromDisplay(static_cast<float>(*depth), metric);
    w.circumference = WorldSizeFromDisplay(static_cast<float>(*size), metric, m_sizeChoice);
    w.sourceParms.seed = *seed;
    if (m_moved[kRoughness])
        w.sourceParms.H = static_cast<float>(m_values[kRoughness]);
    if (m_moved[kPercentSea])
        w.waterPercent = static_cast<float>(m_values[kPercentSea]);
    if (m_moved[kLandSize])
        w.landSize = static_cast<float>(m_values[kLandSize]);
    return true;
}

void CWorldEditPrimary::OnKillActive()
{
    if (ReadControls())
        NotifySheet();
}

void CWorldEditPrimary::OnSizeChoice(int choice)
{
    if (choice < 0 || choice == m_sizeChoice)
        return;
    if (const auto shown = ParseEditNumber(m_size->text().toStdString())) {
        const float factor = choice == 1 ? kCircumferenceToDiameter : kDiameterToCircumference;
        SetEditNumber(m_size, static_cast<float>(*shown) * factor);
    }
    m_sizeChoice = choice;
}

void CWorldEditPrimary::NewSeed()
{
    if (!ReadControls())
        return;
    Working().sourceParms.seed = DrawNewWorldSeed();
    RefreshControls();
}

// ---------------------------------------------------------------------------------------
// Secondary

CWorldEditMisc::CWorldEditMisc(QWidget* parent) : CWorldEditPage(parent)
{
    auto* grid = new QGridLayout(this);
    m_raw = new QCheckBox(tr("&Raw Height Field"));
    m_metric = new QCheckBox(tr("Metric &Units"));
    m_shelf = new QCheckBox(tr("C&ontinental Shelves at"));
    m_level = new QLineEdit;
    m_levelUnit = new QLabel;
    grid->addWidget(m_raw, 0, 0, 1, 3);
    grid->addWidget(m_metric, 1, 0, 1, 3);
    grid->addWidget(m_shelf, 2, 0);
    grid->addWidget(m_level, 2, 1);
    grid->addWidget(m_levelUnit, 2, 2);
    auto* pole = new QGroupBox(tr("North Pole Position"));
    auto* poleGrid = new QGridLayout(pole);
    m_latitude = AddEditRow(poleGrid, 0, "L&atitude:");
    m_longitude = AddEditRow(poleGrid, 1, "L&ongitude:");
    grid->addWidget(pole, 3, 0, 1, 3);
    connect(m_raw, &QCheckBox::clicked, this, [](bool checked) {
        if (checked)
            ShowMessage(kRawMessage);
    });
    connect(m_metric, &QCheckBox::clicked, this, [this](bool checked) {
        WorldSheet()->SetMetric(checked ? 1 : 0);
        NotifySheet();
    });
    connect(m_shelf, &QCheckBox::toggled, this, [this](bool on) {
        m_level->setEnabled(on);
        m_levelUnit->setEnabled(on);
    });
}

void CWorldEditMisc::RefreshControls()
{
    const SurfMap& w = Working();
    m_raw->setChecked(w.rasterMode != 0);
    m_metric->setChecked(Metric() != 0);
    m_shelf->setChecked(w.shapingOn != 0);
    SetEditNumber(m_level, static_cast<float>(ShelfToDisplay(w.shelfAltitude, Metric())));
    SetEditNumber(m_latitude, w.axisLatitude);
    SetEditNumber(m_longitude, w.axisLongitude);
    m_levelUnit->setText(HeightUnit(Metric()));
    m_level->setEnabled(m_shelf->isChecked());
    m_levelUnit->setEnabled(m_shelf->isChecked());
}

bool CWorldEditMisc::ReadControls()
{
    const auto level = ReadEditNumber(m_level);
    const auto latitude = level ? ReadEditNumber(m_latitude, -360.0, 360.0) : std::nullopt;
    const auto longitude = latitude ? ReadEditNumber(m_longitude, -360.0, 360.0) : std::nullopt;
    if (!longitude)
        return false;
    SurfMap& w = Working();
    w.rasterMode = m_raw->isChecked() ? 1 : 0;
    WorldSheet()->SetMetric(m_metric->isChecked() ? 1 : 0);
    w.shapingOn = m_shelf->isChecked() ? 1 : 0;
    w.shelfAltitude = ShelfFromDisplay(static_cast<float>(*level), Metric());
    w.axisLatitude = *latitude;
    w.axisLongitude = *longitude;
    return true;
}

void CWorldEditMisc::OnKillActive()
{
    if (ReadControls())
        NotifySheet();
}

// ---------------------------------------------------------------------------------------
// Editing

CWorldEditEditing::CWorldEditEditing(QWidget* parent) : CWorldEditPage(parent)
{
    auto* layout = new QGridLayout(this);
    const char* names[4] = {"&Small", "&Medium", "&Large", "&Custom"};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_buttons[static_cast<size_t>(i)] = new QRadioButton(QString::fromUtf8(names[i]));
        group->addButton(m_buttons[static_cast<size_t>(i)], i);
        layout->addWidget(m_buttons[static_cast<size_t>(i)], i, 0);
    }
    m_widthEdit = new QLineEdit;
    layout->addWidget(m_widthEdit, 3, 1);
    m_prescale = new QCheckBox(tr("&Allow Prescale Offset Editing"));
    layout->addWidget(m_prescale, 4, 0, 1, 2);
    m_memory = new QLabel;
    m_cell = new QLabel;
    layout->addWidget(m_memory, 5, 0, 1, 2);
    layout->addWidget(m_cell, 6, 0, 1, 2);
    for (int i = 0; i < 3; ++i) {
        connect(m_buttons[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            if (!m_buttons[static_cast<size_t>(i)]->isChecked())
                return;
            ChooseWidth(kButtonWidths[i]);
            m_widthEdit->setText(QString::number(m_width));
            m_widthEdit->setEnabled(false);
            UpdateLabels();
        });
    }
    connect(m_buttons[3], &QRadioButton::clicked, this, [this] {
        m_widthEdit->setEnabled(true);
        UpdateLabels();
    });
    connect(m_widthEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        const int width = text.trimmed().toInt(&ok);
        if (ok && width >= kMinEditGridWidth && width <= kMaxEditGridWidth)
            ChooseWidth(width);
        UpdateLabels();
    });
    connect(m_prescale, &QCheckBox::clicked, this, [this](bool checked) {
        Working().prescaleEnabled = checked ? 1 : 0;
        UpdateLabels();
    });
}

void CWorldEditEditing::showEvent(QShowEvent* event)
{
    CWorldEditPage::showEvent(event);
    if (!m_filled) {
        m_filled = true;
        RefreshControls();
    }
}

void CWorldEditEditing::RefreshControls()
{
    const SurfMap& w = Working();
    m_width = w.gridWidth;
    m_widthEdit->setText(QString::number(m_width));
    int custom = 3;
    for (int i = 0; i < 3; ++i)
        if (m_width == kButtonWidths[i])
            custom = i;
    m_buttons[static_cast<size_t>(custom)]->setChecked(true);
    m_widthEdit->setEnabled(custom == 3);
    m_prescale->setChecked(w.prescaleEnabled != 0);
    UpdateLabels();
}

bool CWorldEditEditing::ReadControls()
{
    const auto width = ReadEditInt(m_widthEdit, kMinEditGridWidth, kMaxEditGridWidth);
    if (!width)
        return false;
    ChooseWidth(*width);
    return true;
}

void CWorldEditEditing::ChooseWidth(int width)
{
    // The working world keeps the choice: the other pages refresh this one from it.
    m_width = width;
    Working().gridWidth = width;
    Working().gridHeight = width / 2;
}

void CWorldEditEditing::UpdateLabels()
{
    m_memory->setText(Text(GridMemoryText(m_width, m_prescale->isChecked())));
    m_cell->setText(Text(GridCellSizeText(Working().circumference, m_width, Metric())));
}

// ---------------------------------------------------------------------------------------
// Fractal Function

namespace {
CWorldEditFractalBasis::ParmsDialog& ParmsDialogSlot()
{
    static CWorldEditFractalBasis::ParmsDialog dialog;
    return dialog;
}
} // namespace

void CWorldEditFractalBasis::SetParmsDialog(ParmsDialog dialog) { ParmsDialogSlot() = std::move(dialog); }

CWorldEditFractalBasis::CWorldEditFractalBasis(QWidget* parent) : CWorldEditPage(parent)
{
    auto* layout = new QGridLayout(this);
    m_method = new QComboBox;
    layout->addWidget(new QLabel(tr("&Method:")), 0, 0);
    layout->addWidget(m_method, 0, 1, 1, 2);
    m_planar = new QCheckBox(tr("&Planar Function Evaluation"));
    m_flipH = new QCheckBox(tr("Flip &Horizontal"));
    m_flipV = new QCheckBox(tr("Flip &Vertical"));
    m_auto = new QCheckBox(tr("Automatically &Compute Parms"));
    layout->addWidget(m_planar, 1, 0, 1, 3);
    layout->addWidget(m_flipH, 2, 0);
    layout->addWidget(m_flipV, 2, 1);
    layout->addWidget(m_auto, 3, 0, 1, 3);
    auto* position = new QGroupBox(tr("Position"));
    m_scaleGroup = new QGroupBox(tr("Radius"));
    auto* pg = new QGridLayout(position);
    auto* sg = new QGridLayout(m_scaleGroup);
    const char* axes[3] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        m_position[static_cast<size_t>(i)] = AddEditRow(pg, i, axes[i]);
        m_scale[static_cast<size_t>(i)] = AddEditRow(sg, i, axes[i]);
    }
    layout->addWidget(position, 4, 0);
    layout->addWidget(m_scaleGroup, 4, 1);
    auto* parms = new QPushButton(tr("P&arms"));
    layout->addWidget(parms, 5, 0);
    connect(m_planar, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    connect(m_auto, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    connect(parms, &QPushButton::clicked, this, &CWorldEditFractalBasis::EditSourceParms);
}

void CWorldEditFractalBasis::UpdateEnabling()
{
    for (QLineEdit* edit : m_position)
        edit->setEnabled(!m_auto->isChecked());
    for (QLineEdit* edit : m_scale)
        edit->setEnabled(!m_auto->isChecked());
    m_scaleGroup->setTitle(m_planar->isChecked() ? tr("Size") : tr("Radius"));
}

void CWorldEditFractalBasis::RefreshControls()
{
    const SurfMap& w = Working();
    m_method->clear();
    const auto sources = GetSourceDatabase().ListSources(w.basisId);
    for (const auto& item : sources.items)
        m_method->addItem(QString::fromStdString(item.name), item.id);
    m_method->setCurrentIndex(sources.selected);
    m_planar->setChecked(w.sphericalMapping == 0);
    m_flipH->setChecked(w.mirrorLongitude != 0);
    m_flipV->setChecked(w.mirrorLatitude != 0);
    m_auto->setChecked(w.randomOrigin != 0);
    const double origin[3] = {w.originX, w.originY, w.originZ};
    const double scale[3] = {w.scaleX, w.scaleY, w.scaleZ};
    for (size_t i = 0; i < 3; ++i) {
        SetEditNumber(m_position[i], origin[i]);
        SetEditNumber(m_scale[i], scale[i]);
    }
    UpdateEnabling();
}

bool CWorldEditFractalBasis::ReadControls()
{
    double values[6];
    for (size_t i = 0; i < 6; ++i) {
        const auto v = ReadEditNumber(i < 3 ? m_position[i] : m_scale[i - 3]);
        if (!v)
            return false;
        values[i] = *v;
    }
    SurfMap& w = Working();
    if (m_method->currentIndex() >= 0)
        w.basisId = m_method->currentData().toInt();
    w.sphericalMapping = m_planar->isChecked() ? 0 : 1;
    w.mirrorLongitude = m_flipH->isChecked() ? 1 : 0;
    w.mirrorLatitude = m_flipV->isChecked() ? 1 : 0;
    w.randomOrigin = m_auto->isChecked() ? 1 : 0;
    w.originX = values[0];
    w.originY = values[1];
    w.originZ = values[2];
    w.scaleX = values[3];
    w.scaleY = values[4];
    w.scaleZ = values[5];
    return true;
}

void CWorldEditFractalBasis::EditSourceParms()
{
    if (!ReadControls())
        return;
    SurfMap& w = Working();
    const CSourceDatabase::SourceEntry* source = nullptr;
    if (GetSourceDatabase().FindById(w.basisId, &source) < 0 || source == nullptr) {
        ShowMessage(kNoSourceMessage);
    } else if (ParmsDialogSlot()) {
        TexParms parms = w.sourceParms;
        if (ParmsDialogSlot()(parms, *source))
            w.sourceParms = parms;
    }
    RefreshControls();
    NotifySheet();
}

// ---------------------------------------------------------------------------------------
// Temperature

CWorldEditTemperature::CWorldEditTemperature(QWidget* parent) : CWorldEditPage(parent)
{
    auto* grid = new QGridLayout(this);
    m_tilt = AddEditRow(grid, 0, "Axis Tilt:");
    m_physical = new QRadioButton(tr("Physically-based Base Temperature"));
    m_specified = new QRadioButton(tr("Specify Base Temperature"));
    grid->addWidget(m_physical, 1, 0, 1, 3);
    m_albedo = AddEditRow(grid, 2, "Albedo:");
    m_light = AddEditRow(grid, 3, "Light:");
    m_greenhouse = AddEditRow(grid, 4, "Greenhouse:");
    grid->addWidget(m_specified, 5, 0, 1, 3);
    m_base = AddEditRow(grid, 6, "Base:", &m_baseUnit);
    m_random = AddEditRow(grid, 7, "Random:");
    m_variance = AddEditRow(grid, 8, "Variance:", &m_varianceUnit);
    connect(m_physical, &QRadioButton::clicked, this, [this] {
        Working().climate.useFixedTemperature = 0;
        UpdateEnabling();
    });
    connect(m_specified, &QRadioButton::clicked, this, [this] {
        Working().climate.useFixedTemperature = 1;
        UpdateEnabling();
    });
}

void CWorldEditTemperature::UpdateEnabling()
{
    const bool physical = m_physical->isChecked();
    m_albedo->setEnabled(physical);
    m_light->setEnabled(physical);
    m_greenhouse->setEnabled(physical);
    m_base->setEnabled(!physical);
}

void CWorldEditTemperature::RefreshControls()
{
    const ClimateParms& c = Working().climate;
    const int metric = Metric();
    SetEditNumber(m_tilt, TiltToDisplay(c.axialTilt));
    (c.useFixedTemperature ? m_specified : m_physical)->setChecked(true);
    SetEditNumber(m_albedo, c.albedo);
    SetEditNumber(m_light, c.solarFactor);
    SetEditNumber(m_greenhouse, c.heatFactor);
    SetEditNumber(m_base, BaseTemperatureToDisplay(c.fixedMeanTemperature, metric));
    SetEditNumber(m_random, c.temperatureNoise);
    SetEditNumber(m_variance, TemperatureVarianceToDisplay(c.latitudeRange, metric));
    m_baseUnit->setText(metric ? "C" : "F");
    m_varianceUnit->setText(metric ? "C" : "F");
    UpdateEnabling();
}

bool CWorldEditTemperature::ReadControls()
{
    struct Field {
        QLineEdit* edit;
        std::optional<double> low, high;
    };
    const Field fields[7] = {{m_tilt, -90.0, 90.0},      {m_albedo, 0.0, 1.0},  {m_light, 0.00001, 10000.0},
                             {m_greenhouse, 0.0, 1000.0}, {m_base, {}, {}},      {m_random, 0.0, 1000.0},
                             {m_variance, 0.0, 1000.0}};
    double v[7];
    for (size_t i = 0; i < 7; ++i) {
        const auto value = ReadEditNumber(fields[i].edit, fields[i].low, fields[i].high);
        if (!value)
            return false;
        v[i] = *value;
    }
    ClimateParms& c = Working().climate;
    const int metric = Metric();
    c.axialTilt = TiltFromDisplay(v[0]);
    c.albedo = v[1];
    c.solarFactor = v[2];
    c.heatFactor = v[3];
    c.fixedMeanTemperature = BaseTemperatureFromDisplay(v[4], metric);
    c.temperatureNoise = v[5];
    c.latitudeRange = TemperatureVarianceFromDisplay(v[6], metric);
    return true;
}

// ---------------------------------------------------------------------------------------
// Rainfall

CWorldEditRainfall::CWorldEditRainfall(QWidget* parent) : CWorldEditPage(parent)
{
    auto* grid = new QGridLayout(this);
    m_base = AddEditRow(grid, 0, "Base Value:", &m_unit);
    m_random = AddEditRow(grid, 1, "Random Amount:");
}

void CWorldEditRainfall::RefreshControls()
{
    const ClimateParms& c = Working().climate;
    SetEditNumber(m_base, RainfallToDisplay(c.rainfallBase, Metric()));
    SetEditNumber(m_random, RainfallToDisplay(c.rainfallNoise, Metric()));
    m_unit->setText(Metric() ? "cm/yr" : "in/yr");
}

bool CWorldEditRainfall::ReadControls()
{
    const auto base = ReadEditNumber(m_base, 0.0, 100000.0);
    const auto random = base ? ReadEditNumber(m_random, 0.0, 100000.0) : std::nullopt;
    if (!random)
        return false;
    ClimateParms& c = Working().climate;
    c.rainfallBase = RainfallFromDisplay(*base, Metric());
    c.rainfallNoise = RainfallFromDisplay(*random, Metric());
    return true;
}

} // namespace kv
