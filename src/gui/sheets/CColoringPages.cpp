#include "gui/sheets/CColoringPages.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/color/ClimateParms.h"
#include "base/text/CTokenizer.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"
#include "view/ClimateColorFile.h"
#include "view/ColorBarRows.h"
#include "view/ColorListFile.h"
#include "view/RotationMatrix.h"
#include "view/WorldSettingsValues.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace kv {

namespace {

QRgb ToRgb(uint32_t colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

ColorFilePrompt& FilePromptSlot()
{
    static ColorFilePrompt prompt = [](bool save, const char* title, const char* filter,
                                       const char*) -> std::optional<std::string> {
        const QString path = save ? QFileDialog::getSaveFileName(nullptr, title, QString(), filter)
                                  : QFileDialog::getOpenFileName(nullptr, title, QString(), filter);
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
    return prompt;
}

std::optional<std::string> AskFile(bool save, const char* title, const char* filter, const char* ext)
{
    std::optional<std::string> path = FilePromptSlot() ? FilePromptSlot()(save, title, filter, ext) : std::nullopt;
    if (path && save)
        return SavePathWithExtension(*path, ext);
    return path;
}

} // namespace

void SetColorFilePrompt(ColorFilePrompt prompt) { FilePromptSlot() = std::move(prompt); }

std::optional<std::string> SavePathWithExtension(const std::string& typed, const std::string& ext)
{
    const std::filesystem::path name(typed);
    if (typed.empty() || !name.has_filename())
        return std::nullopt;
    const std::string wanted = "." + ext;
    const QString given = QString::fromStdString(name.extension().string());
    if (given.compare(QString::fromStdString(wanted), Qt::CaseInsensitive) == 0)
        return typed;
    // The file dialog asked about replacing the name as typed, not this one.
    const std::string path = typed + wanted;
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !AskYesNo(path + " already exists.\nDo you want to replace it?"))
        return std::nullopt;
    return path;
}

// ---------------------------------------------------------------------------------------
// Bars and swatches

ColorImageBox::ColorImageBox(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(24, 24);
}

void ColorImageBox::SetImage(const QImage& image)
{
    m_image = image;
    update();
}

void ColorImageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!m_image.isNull())
        painter.drawImage(1, 1, m_image);
}

void ColorImageBox::mousePressEvent(QMouseEvent* event)
{
    if (clicked)
        clicked(static_cast<int>(event->position().y()) - 1);
}

QImage ColorBarImage(const CColorList& list, QSize size)
{
    const std::vector<uint32_t> rows = ColorBarRowColors(list, size.height());
    if (rows.empty() || size.width() <= 0)
        return {};
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), size.width(), ToRgb(rows[static_cast<size_t>(y)]));
    return image;
}

QImage SwatchImage(uint32_t colour, QSize size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToRgb(colour));
    return image;
}

// ---------------------------------------------------------------------------------------
// Ramp editor

ColorRampEditor::ColorRampEditor(int minimumCount, QWidget* parent) : QWidget(parent), m_minimum(minimumCount)
{
    m_blended = new QCheckBox(tr("Blended:"));
    m_count = new QLineEdit;
    m_top = new ColorImageBox;
    m_bar = new ColorImageBox;
    m_bottom = new ColorImageBox;
    m_topLabel = new QLabel;
    m_bottomLabel = new QLabel;
    m_bar->setMinimumSize(24, 96);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_blended, 0, 0);
    grid->addWidget(m_count, 0, 1);
    grid->addWidget(m_topLabel, 1, 0);
    grid->addWidget(m_top, 1, 1);
    grid->addWidget(m_bar, 2, 1);
    grid->addWidget(m_bottomLabel, 3, 0);
    grid->addWidget(m_bottom, 3, 1);
    connect(m_blended, &QCheckBox::clicked, this, [this](bool on) {
        if (m_list == nullptr)
            return;
        m_editBase.reset();
        m_list->SetInterpolation(on ? CColorList::kCubic : CColorList::kNearest);
        Redraw();
    });
    connect(m_count, &QLineEdit::textEdited, this, &ColorRampEditor::TypeCount);
    connect(m_count, &QLineEdit::editingFinished, this, [this] { m_editBase.reset(); });
    m_top->clicked = [this](int) { PickTop(); };
    m_bottom->clicked = [this](int) { PickBottom(); };
    m_bar->clicked = [this](int y) { PickAt(y); };
}

void ColorRampEditor::SetList(CColorList* list)
{
    m_list = list;
    Refresh();
}

void ColorRampEditor::Refresh()
{
    m_editBase.reset();
    if (m_list == nullptr)
        return;
    m_blended->setChecked(m_list->GetInterpolation() == CColorList::kCubic);
    m_count->setText(QString::number(m_list->GetSize()));
    Redraw();
}

int ColorRampEditor::Count() const
{
    const auto typed = ParseColorCountText(m_count->text().toStdString(), m_minimum);
    return typed ? *typed : std::max(m_minimum, m_list != nullptr ? m_list->GetSize() : m_minimum);
}

bool ColorRampEditor::CheckCount() const { return ReadEditInt(m_count, 0, kMaxColorCount).has_value(); }

void ColorRampEditor::TypeCount(const QString& text)
{
    if (m_count->text() != text)
        m_count->setText(text);
    const auto count = ParseColorCountText(text.toStdString(), m_minimum);
    if (!count || m_list == nullptr)
        return;
    // Each typed count starts again from the list as it was when typing began.
    if (!m_editBase)
        m_editBase = *m_list;
    *m_list = *m_editBase;
    ResampleColorListByShift(*m_list, *count);
    Redraw();
}

void ColorRampEditor::PickTop()
{
    if (m_list == nullptr || m_list->GetSize() == 0)
        return;
    uint32_t colour = m_list->GetColorAt(m_list->GetSize() - 1);
    if (PickColorByShift(colour) != 1)
        return;
    m_editBase.reset();
    MakeTwoColorList(*m_list, Count(), m_list->GetColorAt(0), colour);
    Redraw();
}

void ColorRampEditor::PickBottom()
{
    if (m_list == nullptr || m_list->GetSize() == 0)
        return;
    uint32_t colour = m_list->GetColorAt(0);
    if (PickColorByShift(colour) != 1)
        return;
    m_editBase.reset();
    MakeTwoColorList(*m_list, Count(), colour, m_list->GetColorAt(m_list->GetSize() - 1));
    Redraw();
}

void ColorRampEditor::PickAt(int y)
{
    if (m_list == nullptr || m_list->GetSize() == 0)
        return;
    if (m_list->PickStopColorAt(y, m_bar->ImageSize().height()) != 1)
        return;
    m_editBase.reset();
    Redraw();
}

void ColorRampEditor::Redraw()
{
    if (m_list == nullptr)
        return;
    m_bar->SetImage(ColorBarImage(*m_list, m_bar->ImageSize()));
    const int n = m_list->GetSize();
    m_top->SetImage(SwatchImage(m_list->GetColorAt(n - 1), m_top->ImageSize()));
    m_bottom->SetImage(SwatchImage(m_list->GetColorAt(0), m_bottom->ImageSize()));
    if (changed)
        changed();
}

// ---------------------------------------------------------------------------------------
// Select Coloring Scheme

CColoringSelection::CColoringSelection(QWidget* parent)
    : CSettingsListPage(GetColorsDir(GetAppSettings()), "lgt", parent)
{
    m_previewBox = new ColorImageBox(this);
    m_previewBox->setMinimumSize(64, 64);
    layout()->addWidget(m_previewBox);
}

LightParms& CColoringSelection::Working() const { return static_cast<CColoringSheet*>(Sheet())->Working(); }

int CColoringSelection::ReadInto(const std::string& path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path, false) != 0)
        return -2;
    LightParms loaded;
    const int result = loaded.ReadText(tokenizer);
    if (result < 0)
        return -1;
    Working() = loaded;
    return result;
}

bool CColoringSelection::WriteFrom(const std::string& path)
{
    AtomicFile out;
    if (!out.Open(path))
        return false;
    const CTokenizer spelling;
    if (Working().WriteText(out.File(), spelling) != 0)
        return false;
    return out.Commit();
}

void CColoringSelection::AfterLoad()
{
    DrawPreview();
    if (Sheet() != nullptr)
        Sheet()->RefreshPages();
}

void CColoringSelection::OnEntryClicked(const std::string& path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path, false) == 0)
        m_preview.ReadText(tokenizer);
    DrawPreview();
}

void CColoringSelection::DrawPreview()
{
    QSize size = m_previewBox->ImageSize();
    size.setWidth((size.width() + 3) / 4 * 4);
    const std::vector<uint32_t> rows = SchemePreviewRowColors(m_preview, size.height());
    if (rows.empty() || size.width() <= 0) {
        m_previewImage = QImage();
    } else {
        m_previewImage = QImage(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(m_previewImage.scanLine(y)), size.width(),
                        ToRgb(rows[static_cast<size_t>(y)]));
    }
    m_previewBox->SetImage(m_previewImage);
}

// ---------------------------------------------------------------------------------------
// Intensity

void LightArrowBox::SetDirection(double azimuth, double elevation)
{
    m_azimuth = azimuth;
    m_elevation = elevation;
    update();
}

QImage LightArrowBox::Render() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().window().color());
    QPainter painter(&image);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
    const auto points = LightArrowPolygon(width(), height(), m_azimuth, m_elevation);
    QPolygon polygon;
    for (const ArrowPoint& p : points)
        polygon << QPoint(p.x, p.y);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(ToRgb(m_elevation >= 0 ? kLightArrowAbove : kLightArrowBelow)));
    painter.drawPolygon(polygon);
    return image;
}

void LightArrowBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

CColoringIntensity::CColoringIntensity(QWidget* parent) : CColoringPage(parent)
{
    auto* grid = new QGridLayout(this);
    m_azSlider = new QSlider(Qt::Horizontal);
    m_azSlider->setRange(0, 359);
    m_elSlider = new QSlider(Qt::Vertical);
    m_elSlider->setRange(-90, 90);
    m_shadows = new QSlider(Qt::Horizontal);
    m_shadows->setRange(0, 100);
    m_azEdit = new QLineEdit;
    m_elEdit = new QLineEdit;
    m_exag = new QLineEdit;
    m_arrow = new LightArrowBox;
    m_arrow->setMinimumSize(108, 108);
    auto* defaults = new QPushButton(tr("Default"));
    grid->addWidget(new QLabel(tr("&Azimuth")), 0, 0);
    grid->addWidget(m_azSlider, 0, 1);
    grid->addWidget(m_azEdit, 0, 2);
    grid->addWidget(new QLabel(tr("&Elevation")), 1, 0);
    grid->addWidget(m_elSlider, 1, 1);
    grid->addWidget(m_elEdit, 1, 2);
    grid->addWidget(m_arrow, 2, 1);
    grid->addWidget(new QLabel(tr("&Vertical Exaggeration:")), 3, 0);
    grid->addWidget(m_exag, 3, 1);
    grid->addWidget(new QLabel(tr("&Shadows:")), 4, 0);
    auto* shadowRow = new QHBoxLayout;
    shadowRow->addWidget(new QLabel(tr("Dark")));
    shadowRow->addWidget(m_shadows);
    shadowRow->addWidget(new QLabel(tr("None")));
    grid->addLayout(shadowRow, 4, 1);
    grid->addWidget(defaults, 5, 2);
    // A slider move reads only that slider; positions are whole degrees or hundredths.
    connect(m_azSlider, &QSlider::valueChanged, this, [this](int position) {
        if (m_filling)
            return;
        m_azimuth = static_cast<float>(position);
        ShowValues();
    });
    connect(m_elSlider, &QSlider::valueChanged, this, [this](int position) {
        if (m_filling)
            return;
        m_elevation = static_cast<float>(position);
        ShowValues();
    });
    connect(m_shadows, &QSlider::valueChanged, this, [this](int position) {
        if (!m_filling)
            m_ambient = static_cast<float>(position * 0.01);
    });
    connect(m_azEdit, &QLineEdit::textEdited, this, &CColoringIntensity::TypeAzimuth);
    connect(m_elEdit, &QLineEdit::textEdited, this, &CColoringIntensity::TypeElevation);
    connect(defaults, &QPushButton::clicked, this, [this] { SetDefaults(); });
}

void CColoringIntensity::ShowValues()
{
    m_filling = true;
    m_azSlider->setValue(static_cast<int>(m_azimuth));
    m_elSlider->setValue(static_cast<int>(m_elevation));
    if (!m_azEdit->hasFocus())
        SetEditNumber(m_azEdit, m_azimuth);
    if (!m_elEdit->hasFocus())
        SetEditNumber(m_elEdit, m_elevation);
    m_filling = false;
    m_arrow->SetDirection(m_azimuth, m_elevation);
}

void CColoringIntensity::TypeAzimuth(const QString& text)
{
    if (m_azEdit->text() != text)
        m_azEdit->setText(text);
    if (const auto value = ParseAzimuthText(text.toStdString())) {
        m_azimuth = static_cast<float>(*value);
        ShowValues();
    }
}

void CColoringIntensity::TypeElevation(const QString& text)
{
    if (m_elEdit->text() != text)
        m_elEdit->setText(text);
    if (const auto value = ParseElevationText(text.toStdString())) {
        m_elevation = static_cast<float>(*value);
        ShowValues();
    }
}

void CColoringIntensity::RefreshControls()
{
    const LightParms& light = Working();
    m_azimuth = static_cast<float>(light.azimuth);
    m_elevation = static_cast<float>(std::clamp(light.elevation, -90.0, 90.0));
    m_ambient = static_cast<float>(light.ambient);
    m_filling = true;
    m_shadows->setValue(static_cast<int>(m_ambient * 100.0f));
    SetEditNumber(m_exag, static_cast<float>(light.vertExag));
    SetEditNumber(m_azEdit, m_azimuth);
    SetEditNumber(m_elEdit, m_elevation);
    m_filling = false;
    ShowValues();
}

bool CColoringIntensity::ReadControls()
{
    const auto exaggeration = ReadEditNumber(m_exag);
    if (!exaggeration)
        return false;
    LightParms& light = Working();
    light.azimuth = m_azimuth;
    light.elevation = m_elevation;
    light.vertExag = static_cast<float>(*exaggeration);
    light.ambient = m_ambient;
    return true;
}

void CColoringIntensity::SetDefaults()
{
    Working().ResetLight();
    RefreshControls();
}

// ---------------------------------------------------------------------------------------
// Altitude

CColoringAltitude::CColoringAltitude(QWidget* parent) : CColoringPage(parent)
{
    auto* layout = new QHBoxLayout(this);
    auto* landGroup = new QGroupBox(tr("Land"));
    auto* seaGroup = new QGroupBox(tr("Sea"));
    auto* landLayout = new QVBoxLayout(landGroup);
    auto* seaLayout = new QVBoxLayout(seaGroup);
    m_land = new ColorRampEditor(1);
    m_sea = new ColorRampEditor(1);
    m_landShaded = new QCheckBox(tr("Shaded:"));
    m_seaShaded = new QCheckBox(tr("Shaded"));
    m_land->TopLabel()->setText(tr("Highest Peak"));
    m_land->BottomLabel()->setText(tr("Sea Level"));
    m_sea->TopLabel()->setText(tr("Sea Level"));
    m_sea->BottomLabel()->setText(tr("Lowest Depth"));
    landLayout->addWidget(m_land);
    landLayout->addWidget(m_landShaded);
    seaLayout->addWidget(m_sea);
    seaLayout->addWidget(m_seaShaded);
    auto* defaults = new QPushButton(tr("Default"));
    layout->addWidget(landGroup);
    layout->addWidget(seaGroup);
    layout->addWidget(defaults);
    connect(m_landShaded, &QCheckBox::clicked, this, [this](bool on) {
        if (!Sheet()->ReadPages())
            return;
        Working().ambient = on ? 0.1 : 1.0;
        Sheet()->RefreshPages();
        m_seaShaded->setEnabled(on);
    });
    connect(m_seaShaded, &QCheckBox::clicked, this, [this](bool on) { Working().seaOpacity = on ? 0.0 : 1.0; });
    connect(defaults, &QPushButton::clicked, this, [this] { SetDefaults(); });
}

void CColoringAltitude::RefreshControls()
{
    LightParms& light = Working();
    m_land->SetList(&light.landColors);
    m_sea->SetList(&light.seaColors);
    m_landShaded->setChecked(light.ambient < 254.0 / 255.0);
    m_seaShaded->setChecked(light.seaOpacity < 0.5);
    m_seaShaded->setEnabled(m_landShaded->isChecked());
}

bool CColoringAltitude::ReadControls() { return m_land->CheckCount() && m_sea->CheckCount(); }

void CColoringAltitude::OnOK()
{
    if (!ReadControls())
        return;
    for (ColorRampEditor* editor : {m_land, m_sea})
        if (editor->Count() == 1)
            editor->TypeCount(QStringLiteral("2"));
}

void CColoringAltitude::SetDefaults()
{
    Working().SetDefaultColorLists();
    RefreshControls();
}

// ---------------------------------------------------------------------------------------
// Temperature and Rainfall

CColoringClimateRamp::CColoringClimateRamp(Kind kind, QWidget* parent) : CColoringPage(parent), m_kind(kind)
{
    auto* layout = new QVBoxLayout(this);
    m_editor = new ColorRampEditor(2);
    layout->addWidget(m_editor);
    auto* buttons = new QHBoxLayout;
    auto* load = new QPushButton(tr("Load..."));
    auto* save = new QPushButton(tr("Save..."));
    auto* defaults = new QPushButton(tr("Default"));
    buttons->addWidget(load);
    buttons->addWidget(save);
    buttons->addWidget(defaults);
    layout->addLayout(buttons);
    const bool temperature = kind == kTemperature;
    connect(load, &QPushButton::clicked, this, [this, temperature] {
        if (const auto path = AskFile(false,
                                      temperature ? "Load Temperature Coloring File" : "Load Rainfall Coloring File",
                                      "Binary Color List (*.bcl)", "bcl"))
            LoadListFile(*path);
    });
    connect(save, &QPushButton::clicked, this, [this, temperature] {
        if (const auto path = AskFile(true,
                                      temperature ? "Save Temperature Coloring File" : "Save Rainfall Coloring File",
                                      "Binary Color List (*.bcl)", "bcl"))
            SaveListFile(*path);
    });
    connect(defaults, &QPushButton::clicked, this, [this] { SetDefaults(); });
}

CColorList& CColoringClimateRamp::DocumentList(CKVDoc& doc) const
{
    ClimateParms& climate = doc.GetWorld().climate;
    return m_kind == kTemperature ? climate.TemperatureList() : climate.RainfallList();
}

void CColoringClimateRamp::RefreshControls()
{
    // The document's list is taken again at every refresh: another world may be open now.
    if (CKVDoc* doc = GetActiveDoc()) {
        m_list = DocumentList(*doc);
        if (m_initial.GetSize() == 0)
            m_initial = m_list;
    }
    const bool metric = IsMetric();
    const char* unit = m_kind == kTemperature ? (metric ? "C" : "F") : (metric ? "cm/yr" : "in/yr");
    const double top = m_kind == kTemperature ? (metric ? 65.0 : 149.0) : (metric ? 250.0 : 98.4252);
    const double bottom = m_kind == kTemperature ? (metric ? -40.0 : -40.0) : 0.0;
    m_editor->TopLabel()->setText(QString::fromStdString(FormatC("%0.0f %s", top, unit)));
    m_editor->BottomLabel()->setText(QString::fromStdString(FormatC("%0.0f %s", bottom, unit)));
    m_editor->SetList(&m_list);
}

bool CColoringClimateRamp::ReadControls()
{
    if (!m_editor->CheckCount())
        return false;
    if (CKVDoc* doc = GetActiveDoc()) {
        DocumentList(*doc) = m_list;
        doc->SetModifiedFlag();
    }
    return true;
}

void CColoringClimateRamp::SetDefaults()
{
    m_list = m_initial;
    m_editor->SetList(&m_list);
}

void CColoringClimateRamp::LoadListFile(const std::string& path)
{
    const int result = LoadColorListFile(path, m_list);
    if (result == -1)
        ShowMessage("Unable to open file " + path);
    else if (result < 0)
        ShowMessage("Error reading \"" + path + "\"");
    m_editor->SetList(&m_list);
}

void CColoringClimateRamp::SaveListFile(const std::string& path)
{
    if (SaveColorListFile(path, m_list) != 0)
        ShowMessage("Unable to open file " + path);
}

// ---------------------------------------------------------------------------------------
// Climate

CColoringClimate::CColoringClimate(QWidget* parent) : CColoringPage(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_table = new QTreeWidget;
    m_table->setColumnCount(2);
    m_table->setHeaderLabels({tr("Name"), tr("Color")});
    m_table->setRootIsDecorated(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(m_table);
    auto* buttons = new QHBoxLayout;
    auto* edit = new QPushButton(tr("Edit..."));
    auto* load = new QPushButton(tr("Load..."));
    auto* save = new QPushButton(tr("Save..."));
    auto* defaults = new QPushButton(tr("Default"));
    for (QPushButton* b : {edit, load, save, defaults})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(edit, &QPushButton::clicked, this, &CColoringClimate::EditSelected);
    connect(m_table, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });
    connect(defaults, &QPushButton::clicked, this, [this] { SetDefaults(); });
    connect(load, &QPushButton::clicked, this, [this] {
        if (const auto path = AskFile(false, "Load Climate Coloring File", "Climate Color Files (*.clr)", "clr"))
            LoadFile(*path);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (const auto path = AskFile(true, "Save Climate Coloring File", "Climate Color Files (*.clr)", "clr"))
            SaveFile(*path);
    });
}

void CColoringClimate::RefreshControls()
{
    const int selected = m_table->currentItem() != nullptr ? m_table->indexOfTopLevelItem(m_table->currentItem()) : -1;
    m_table->clear();
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return;
    const ClimateParms& climate = doc->GetWorld().climate;
    for (int code = 0; code < kClimateClassCount; ++code) {
        auto* item = new QTreeWidgetItem(m_table);
        item->setText(0, QString::fromUtf8(ClimateParms::GetClimateName(code)));
        item->setText(1, QString::fromStdString(ClimateColorCellText(ClimateCodeColor(climate, code))));
        item->setData(0, Qt::UserRole, code);
    }
    const int w = m_table->viewport()->width();
    m_table->setColumnWidth(0, w * 3 / 4);
    if (selected >= 0)
        m_table->setCurrentItem(m_table->topLevelItem(selected));
}

void CColoringClimate::EditSelected()
{
    QTreeWidgetItem* item = m_table->currentItem();
    CKVDoc* doc = GetActiveDoc();
    if (item == nullptr || !item->isSelected()) {
        ShowMessage(kSelectMessage);
        return;
    }
    if (doc == nullptr)
        return;
    const int code = item->data(0, Qt::UserRole).toInt();
    ClimateParms& climate = doc->GetWorld().climate;
    uint32_t colour = ClimateCodeColor(climate, code);
    if (PickColorByShift(colour) != 1)
        return;
    CColorList list;
    climate.GetClimateList(list);
    list.SetAt(code, colour);
    climate.SetClimateList(list);
    doc->SetModifiedFlag();
    RefreshControls();
}

void CColoringClimate::SetDefaults()
{
    if (CKVDoc* doc = GetActiveDoc()) {
        CColorList list;
        ClimateParms::DefaultClimateColors(list);
        doc->GetWorld().climate.SetClimateList(list);
        doc->SetModifiedFlag();
    }
    RefreshControls();
}

void CColoringClimate::LoadFile(const std::string& path)
{
    CColorList list;
    if (LoadClimateColorFile(path, list) < 0) {
        ShowMessage("Error opening file \"" + path + "\"");
        return;
    }
    if (CKVDoc* doc = GetActiveDoc()) {
        doc->GetWorld().climate.SetClimateList(list);
        doc->SetModifiedFlag();
    }
    RefreshControls();
}

void CColoringClimate::SaveFile(const std::string& path)
{
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return;
    if (!SaveClimateColorFile(path, doc->GetWorld().climate))
        ShowMessage("Error opening file \"" + path + "\"");
}

} // namespace kv
