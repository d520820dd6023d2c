#include "gui/tools/CToolbarPaintbrush.h"

#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "gui/tools/PanelNumbers.h"
#include "view/BrushPresets.h"
#include "view/tools/ToolPaint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

namespace kv {

namespace {

constexpr int kWidthId = 5578, kHeightId = 5583, kValueId = 5551, kOperationId = 5688, kAutoRotateId = 5635,
              kPresetsId = 5636;

} // namespace

CToolbarPaintbrush::AskPath& CToolbarPaintbrush::SaveDialog()
{
    static AskPath ask = [](const std::string& proposed) {
        QFileDialog dialog(nullptr, QStringLiteral("Save brush settings file"), QString::fromStdString(proposed),
                           QStringLiteral("Brush Settings File (*.brs);;All Files (*.*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("brs"));
        dialog.selectFile(QString::fromStdString(proposed));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return dialog.selectedFiles().first().toStdString();
    };
    return ask;
}

CToolbarPaintbrush::AskPath& CToolbarPaintbrush::FolderDialog()
{
    static AskPath ask = [](const std::string& current) {
        return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Select Brush Presets Directory"),
                                                 QString::fromStdString(current))
            .toStdString();
    };
    return ask;
}

CToolbarPaintbrush::CToolbarPaintbrush(ToolPaint& tool, QWidget* parent) : QWidget(parent), m_tool(tool)
{
    setObjectName(QString::number(kTemplateId));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    m_width = MakePanelEdit(this, kWidthId);
    m_height = MakePanelEdit(this, kHeightId);
    m_value = MakePanelEdit(this, kValueId);
    for (QLineEdit* e : {m_width, m_height})
        e->setMaximumWidth(40);
    m_value->setMaximumWidth(70);
    m_operation = new QComboBox(this);
    m_operation->setObjectName(QString::number(kOperationId));
    m_operation->addItems({QStringLiteral("Value"), QStringLiteral("Raise"), QStringLiteral("Lower")});
    m_autoRotate = new QCheckBox(QStringLiteral("Auto Rotate"), this);
    m_autoRotate->setObjectName(QString::number(kAutoRotateId));
    m_presets = new QComboBox(this);
    m_presets->setObjectName(QString::number(kPresetsId));
    m_presets->setMinimumContentsLength(16);
    m_save = new QPushButton(QStringLiteral("&Save..."), this);
    m_folderButton = new QPushButton(QStringLiteral("&..."), this);
    row->addWidget(new QLabel(QStringLiteral("Size:"), this));
    row->addWidget(m_width);
    row->addWidget(new QLabel(QStringLiteral("x"), this));
    row->addWidget(m_height);
    row->addWidget(new QLabel(QStringLiteral("Value:"), this));
    row->addWidget(m_value);
    row->addWidget(m_operation);
    row->addWidget(m_autoRotate);
    row->addWidget(m_presets, 1);
    row->addWidget(m_save);
    row->addWidget(m_folderButton);

    for (QLineEdit* e : {m_width, m_height, m_value})
        connect(e, &QLineEdit::editingFinished, this, [this] { m_tool.ReadPanel(); });
    connect(m_operation, &QComboBox::activated, this, [this](int) { m_tool.ReadPanel(); });
    connect(m_autoRotate, &QCheckBox::clicked, this, [this] { m_tool.ReadPanel(); });
    // Only a user's choice loads a preset (refilling the list does not).
    connect(m_presets, &QComboBox::activated, this, [this](int index) { ChoosePreset(m_presets->itemText(index)); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(m_folderButton, &QPushButton::clicked, this, [this] { OnChooseFolder(); });

    const AppSettings& profile = GetAppSettings();
    m_folder = BrushPresetFolder(profile);
    m_name = BrushPresetName(profile);
    FillPresets(m_name);
}

void CToolbarPaintbrush::Show(const PaintbrushFields& f)
{
    m_width->setText(PanelIntText(f.width));
    m_height->setText(PanelIntText(f.height));
    m_value->setText(PanelNumberText(f.value));
    m_operation->setCurrentIndex(f.operation >= 0 && f.operation < 3 ? f.operation : 0);
    m_autoRotate->setChecked(f.autoRotate);
}

bool CToolbarPaintbrush::Read(PaintbrushFields& f) const
{
    const std::optional<int> w = ParsePanelInt(m_width->text());
    const std::optional<int> h = ParsePanelInt(m_height->text());
    const std::optional<double> v = ParsePanelNumber(m_value->text());
    if (!w || !h || !v || !std::isfinite(static_cast<float>(*v)))
        return false;
    f.width = *w;
    f.height = *h;
    f.value = static_cast<float>(*v);
    f.operation = std::max(0, m_operation->currentIndex());
    f.autoRotate = m_autoRotate->isChecked();
    return true;
}

void CToolbarPaintbrush::FillPresets(const std::string& name)
{
    m_presets->clear();
    const std::vector<std::string> names = ListBrushPresets(m_folder);
    if (names.empty()) {
        m_presets->addItem(QString::fromUtf8(kNoPresetsEntry));
        m_presets->setCurrentIndex(0);
        return;
    }
    for (const std::string& n : names)
        m_presets->addItem(QString::fromStdString(n));
    const int at = m_presets->findText(QString::fromStdString(name));
    m_presets->setCurrentIndex(at);
}

void CToolbarPaintbrush::ChoosePreset(const QString& name)
{
    if (name.startsWith(QStringLiteral("<<")))
        return;
    const std::string chosen = name.toStdString();
    BrushSettings preset = m_tool.Settings();
    std::string error;
    if (LoadBrushPreset(BrushPresetPath(m_folder, chosen), preset, error) != 0) {
        ShowMessage(error);
        return;
    }
    m_name = chosen;
    StoreBrushPresetChoice(GetAppSettings(), m_folder, m_name);
    PaintbrushFields f;
    f.width = preset.width;
    f.height = preset.height;
    f.value = PaintValueToDisplay(m_tool.Row().unit, preset.value, IsMetric());
    f.operation = preset.Mode();
    f.autoRotate = preset.autoRotate;
    Show(f);
    m_tool.TakeSettings(preset);
}

void CToolbarPaintbrush::OnSave()
{
    if (!m_tool.ReadPanel())
        return;
    const std::string proposed =
        m_name.empty() ? UntitledBrushPresetPath(m_folder) : BrushPresetPath(m_folder, m_name);
    const std::string path = SaveDialog()(proposed);
    if (path.empty())
        return;
    std::string error;
    if (SaveBrushPreset(path, m_tool.Settings(), error) != 0) {
        ShowMessage(error);
        return;
    }
    FillPresets(std::filesystem::path(path).filename().string());
}

void CToolbarPaintbrush::OnChooseFolder()
{
    const std::string folder = FolderDialog()(m_folder);
    if (folder.empty())
        return;
    m_folder = BrushPresetPath(folder, "");
    m_name.clear();
    StoreBrushPresetChoice(GetAppSettings(), m_folder, m_name);
    FillPresets(m_name);
}

} // namespace kv
