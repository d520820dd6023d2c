#include "gui/exchange/ExportFileDlgs.h"

#include "base/color/CColorList.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kv {

namespace {

// A row "label [edit] unit" for the extra controls.
QLineEdit* AddEditRow(QWidget* row, QHBoxLayout* layout, const char* label, const char* unit)
{
    auto* edit = new QLineEdit(row);
    edit->setMaximumWidth(80);
    auto* text = new QLabel(label, row);
    text->setBuddy(edit);
    layout->addWidget(text);
    layout->addWidget(edit);
    if (unit != nullptr)
        layout->addWidget(new QLabel(unit, row));
    return edit;
}

} // namespace

CVRMLExportDlg::CVRMLExportDlg(const QString& fileName, int initialWidth, QWidget* parent)
    : ExtendedSaveDialog(parent, "Save", "VRML Files (*.wrl)|*.wrl||", ".wrl", fileName), width(initialWidth)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_width = AddEditRow(row, layout, "&Width:", "pixels");
    layout->addStretch();
    AddExtraRow(row);
    m_width->setText(QString::number(width));
    connect(m_width, &QLineEdit::textChanged, this, [this](const QString& text) { ScanInt(text, width); });
    setSizeGripEnabled(true);
}

void CVRMLExportDlg::accept()
{
    width = std::min(width, kMaxWidth);
    ExtendedSaveDialog::accept();
}

CIcosahedralFileDlg::CIcosahedralFileDlg(const QString& title, int id, const WorldImageSettings& settings,
                                         QWidget* parent)
    : ExtendedSaveDialog(parent, title,
                         settings.filter.empty() ? "Windows BMP Files (*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg||"
                                                 : settings.filter,
                         QString::fromStdString(settings.filter.empty() ? std::string(".bmp")
                                                                        : settings.defaultExtension),
                         QString::fromStdString(settings.path)),
      width(settings.width),
      background(settings.background),
      templateId(id),
      m_ownFilter(!settings.filter.empty())
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_width = AddEditRow(row, layout, "&Width:", "pixels");
    if (templateId == kIcosahedralTemplate) {
        m_color = new QPushButton("&Background Color", row);
        layout->addWidget(m_color);
        connect(m_color, &QPushButton::clicked, this, &CIcosahedralFileDlg::OnColorButton);
    }
    layout->addStretch();
    AddExtraRow(row);
    m_width->setText(QString::number(width));
    connect(m_width, &QLineEdit::textChanged, this, [this](const QString& text) { ScanInt(text, width); });
    SetFilterIndex(settings.fileType);
    setSizeGripEnabled(true);
}

WorldImageSettings CIcosahedralFileDlg::Settings() const
{
    WorldImageSettings s;
    s.path = ChosenPath();
    s.width = width;
    s.background = background;
    // A dialog of another kind of file (the Skyloom drawing) leaves the picture type.
    s.fileType = !m_ownFilter && FilterIndex() == WorldImageSettings::kJpegType ? WorldImageSettings::kJpegType
                                                                               : WorldImageSettings::kBmpType;
    return s;
}

void CIcosahedralFileDlg::OnColorButton()
{
    PickColorByShift(background);
}

void CIcosahedralFileDlg::accept()
{
    width = std::min(width, WorldImageSettings::kMaxWidth);
    ExtendedSaveDialog::accept();
}

CMovieDlg::CMovieDlg(const SpinSettings& settings, QWidget* parent)
    : ExtendedSaveDialog(parent, "Save Spin View Sequence Files",
                         "Windows Bitmap Files (*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg||", ".bmp",
                         QString::fromStdString(settings.path)),
      background(settings.background),
      size(settings.size),
      frames(settings.frames),
      latitude(settings.latitude),
      shaded(settings.shaded)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_size = AddEditRow(row, layout, "Size:", "pixels");
    m_color = new QPushButton("Background Color", row);
    layout->addWidget(m_color);
    m_frames = AddEditRow(row, layout, "# Frames:", nullptr);
    m_latitude = AddEditRow(row, layout, "Latitude:", "degrees");
    m_shaded = new QCheckBox("Appear to be Shaded", row);
    layout->addWidget(m_shaded);
    layout->addStretch();
    AddExtraRow(row);

    m_size->setText(QString::number(size));
    m_frames->setText(QString::number(frames));
    m_latitude->setText(FormatReal(latitude));
    m_shaded->setChecked(shaded);
    connect(m_size, &QLineEdit::textChanged, this, [this](const QString& text) { ScanInt(text, size); });
    connect(m_frames, &QLineEdit::textChanged, this, [this](const QString& text) { ScanInt(text, frames); });
    connect(m_latitude, &QLineEdit::textChanged, this, [this](const QString& text) {
        double value = 0.0;
        if (ScanDouble(text, value))
            latitude = static_cast<float>(value);
    });
    connect(m_shaded, &QCheckBox::clicked, this, [this](bool checked) { shaded = checked; });
    connect(m_color, &QPushButton::clicked, this, &CMovieDlg::OnColorButton);
    setSizeGripEnabled(true);
}

SpinSettings CMovieDlg::Settings() const
{
    SpinSettings s;
    s.path = ChosenPath();
    s.background = background;
    s.size = size;
    s.frames = frames;
    s.latitude = latitude;
    s.shaded = shaded;
    return s;
}

void CMovieDlg::OnColorButton()
{
    // The picker works in the pixels' 0x00BBGGRR; the sequence keeps 0xRRGGBB.
    uint32_t picked = SwapRedBlue(background);
    PickColorByShift(picked);
    background = SwapRedBlue(picked);
}

void CMovieDlg::accept()
{
    // Counts below the range reach the command, which raises them (0 frames gives one).
    size = std::min(size, SpinSettings::kMaxSize);
    frames = std::min(frames, SpinSettings::kMaxFrames);
    latitude = std::clamp(latitude, SpinSettings::kMinLatitude, SpinSettings::kMaxLatitude);
    ExtendedSaveDialog::accept();
}

} // namespace kv
