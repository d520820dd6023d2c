#include "gui/dialogs/CImageOverlayEditDlg.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/OverlayImageFiles.h"
#include "gui/dialogs/FileChoice.h"
#include "gui/exchange/ExchangeDialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cctype>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {

constexpr char kImageFilter[] = "Image Files (*.bmp;*.jpg;*.png)|*.bmp;*.jpg;*.png|Windows BMP Files (*.bmp)|*.bmp|"
                                "JPEG Files (*.jpg)|*.jpg|PNG Files (*.png)|*.png|All Files (*.*)|*.*||";

// A real edit within low..high; "nan", "inf" and overflowing texts are refused.
bool TakeReal(QLineEdit* edit, double low, double high, bool ranged, double& value)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(edit->text().trimmed(), &ok);
    if (ok && std::isfinite(v) && (!ranged || (v >= low && v <= high))) {
        value = v;
        return true;
    }
    if (ranged) {
        char text[96];
        std::snprintf(text, sizeof text, "Please enter a number between %g and %g.", low, high);
        ShowMessage(text);
    } else {
        ShowMessage("Please enter a number.");
    }
    edit->setFocus();
    edit->selectAll();
    return false;
}

} // namespace

CImageOverlayEditDlg::CImageOverlayEditDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Edit Image Overlay");
    auto* top = new QVBoxLayout(this);
    auto* form = new QGridLayout;
    top->addLayout(form);
    m_visible = new QCheckBox("&Visible", this);
    m_name = new QLineEdit(this);
    m_width = new QLineEdit(this);
    m_height = new QLineEdit(this);
    form->addWidget(m_visible, 0, 0);
    form->addWidget(new QLabel("&Name:", this), 1, 0);
    form->addWidget(m_name, 1, 1, 1, 3);
    auto* size = new QGroupBox("Size (samples)", this);
    auto* sizeGrid = new QGridLayout(size);
    sizeGrid->addWidget(new QLabel("&Width:", size), 0, 0);
    sizeGrid->addWidget(m_width, 0, 1);
    sizeGrid->addWidget(new QLabel("&Height:", size), 0, 2);
    sizeGrid->addWidget(m_height, 0, 3);
    form->addWidget(size, 2, 0, 1, 4);

    m_opacity = new QSlider(Qt::Horizontal, this);
    m_opacity->setRange(0, 255);
    m_opacityText = new QLabel(this);
    form->addWidget(new QLabel("Opacity:", this), 3, 0);
    form->addWidget(new QLabel("Clear", this), 3, 1);
    form->addWidget(m_opacity, 3, 2);
    form->addWidget(new QLabel("Solid", this), 3, 3);
    form->addWidget(m_opacityText, 3, 4);

    m_mode = new QComboBox(this);
    m_mode->addItems({"Always Show Overlay", "Show only if above water (Land)", "Show only if below water (Sea)",
                      "Show only if in Hard-Edged Altitude Range", "Show only if in Soft-Edged Altitude Range"});
    form->addWidget(m_mode, 4, 0, 1, 4);

    m_north = new QLineEdit(this);
    m_west = new QLineEdit(this);
    m_east = new QLineEdit(this);
    m_south = new QLineEdit(this);
    form->addWidget(MapEdgesGroup(this, m_north, m_west, m_east, m_south), 5, 0, 1, 4);
    m_screen = new QCheckBox("Define in Screen Coordinates", this);
    form->addWidget(m_screen, 6, 0, 1, 4);

    const char* altLabels[4] = {"Soft Low:", "Hard Low:", "Hard High:", "Soft High:"};
    for (int k = 0; k < 4; ++k) {
        m_altLabel[k] = new QLabel(altLabels[k], this);
        m_alt[k] = new QLineEdit(this);
        m_unit[k] = new QLabel(this);
        form->addWidget(m_altLabel[k], 7 + k, 0);
        form->addWidget(m_alt[k], 7 + k, 1);
        form->addWidget(m_unit[k], 7 + k, 2);
    }

    auto* files = new QHBoxLayout;
    auto* importColor = new QPushButton("&Import Color Image", this);
    auto* importOpacity = new QPushButton("Import &Opacity Image", this);
    auto* exportImage = new QPushButton("E&xport Image", this);
    files->addWidget(importColor);
    files->addWidget(importOpacity);
    files->addWidget(exportImage);
    top->addLayout(files);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    top->addWidget(buttons);

    connect(importColor, &QPushButton::clicked, this, &CImageOverlayEditDlg::OnImportColor);
    connect(importOpacity, &QPushButton::clicked, this, &CImageOverlayEditDlg::OnImportOpacity);
    connect(exportImage, &QPushButton::clicked, this, &CImageOverlayEditDlg::OnExport);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImageOverlayEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImageOverlayEditDlg::reject);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &CImageOverlayEditDlg::UpdateEnabling);
    connect(m_opacity, &QSlider::valueChanged, this, [this](int value) {
        m_opacityText->setText(QString::fromStdString(OpacityPercentText(value)));
        UpdateEnabling();
    });
}

void CImageOverlayEditDlg::LoadControls()
{
    const bool metric = IsMetric();
    for (QLabel* unit : m_unit)
        unit->setText(OverlayAltitudeUnit(metric));
    const OverlayEditFields f = OverlayFieldsFrom(copy, metric);
    m_visible->setChecked(f.visible);
    m_name->setText(QString::fromStdString(f.name));
    m_width->setText(QString::number(f.width));
    m_height->setText(QString::number(f.height));
    m_opacity->setValue(f.opacity);
    m_opacityText->setText(QString::fromStdString(OpacityPercentText(f.opacity)));
    m_mode->setCurrentIndex(f.mode >= 0 && f.mode < m_mode->count() ? f.mode : 0);
    m_north->setText(FormatReal(f.north));
    m_west->setText(FormatReal(f.west));
    m_east->setText(FormatReal(f.east));
    m_south->setText(FormatReal(f.south));
    m_screen->setChecked(f.screenCoordinates);
    const double alt[4] = {f.softLow, f.hardLow, f.hardHigh, f.softHigh};
    for (int k = 0; k < 4; ++k)
        m_alt[k]->setText(FormatReal(alt[k]));
    UpdateEnabling();
}

void CImageOverlayEditDlg::UpdateEnabling()
{
    const int mode = m_mode->currentIndex();
    const bool soft = mode == kOverlaySoftRange;
    const bool hard = mode == kOverlayHardRange || soft;
    for (int k : {0, 3}) {
        m_alt[k]->setEnabled(soft);
        m_altLabel[k]->setEnabled(soft);
    }
    for (int k : {1, 2}) {
        m_alt[k]->setEnabled(hard);
        m_altLabel[k]->setEnabled(hard);
    }
}

bool CImageOverlayEditDlg::StoreControls()
{
    OverlayEditFields f;
    double alt[4];
    if (!TakeInt(m_width, 16, 5100, f.width) || !TakeInt(m_height, 16, 5100, f.height) ||
        !TakeReal(m_north, -90, 90, true, f.north) || !TakeReal(m_west, -180, 180, true, f.west) ||
        !TakeReal(m_east, -180, 180, true, f.east) || !TakeReal(m_south, -90, 90, true, f.south))
        return false;
    for (int k = 0; k < 4; ++k)
        if (!TakeReal(m_alt[k], 0, 0, false, alt[k]))
            return false;
    f.visible = m_visible->isChecked();
    f.name = m_name->text().toStdString();
    f.opacity = m_opacity->value();
    f.mode = m_mode->currentIndex();
    f.screenCoordinates = m_screen->isChecked();
    f.softLow = alt[0];
    f.hardLow = alt[1];
    f.hardHigh = alt[2];
    f.softHigh = alt[3];
    if (!ApplyOverlayFields(copy, f, IsMetric())) {
        ShowMessage("Unable to allocate memory for the overlay image.");
        return false;
    }
    return true;
}

void CImageOverlayEditDlg::accept()
{
    if (StoreControls())
        QDialog::accept();
}

int CImageOverlayEditDlg::exec()
{
    LoadControls();
    return QDialog::exec();
}

void CImageOverlayEditDlg::OnImportColor()
{
    FileRequest request{false, "Load Image File", kImageFilter, "bmp", ""};
    std::string path;
    if (!ChooseFile(this, request, path))
        return;
    VideoBuffer image;
    if (!LoadOverlayImage(path, image)) {
        ShowMessage(OverlayImageReadMessage(path));
        return;
    }
    const bool key = AskYesNo("Use upper-left pixel as transparent color?");
    if (!ImportOverlayColor(copy, image, FileTitle(path), key)) {
        ShowMessage(OverlayImageReadMessage(path));
        return;
    }
    LoadControls();
}

void CImageOverlayEditDlg::OnImportOpacity()
{
    FileRequest request{false, "Load Transparency Image File", kImageFilter, "bmp", ""};
    std::string path;
    if (!ChooseFile(this, request, path))
        return;
    VideoBuffer image;
    if (!LoadOverlayImage(path, image) || !ImportOverlayOpacity(copy, image)) {
        ShowMessage(OverlayImageReadMessage(path));
        return;
    }
    LoadControls();
}

void CImageOverlayEditDlg::OnExport()
{
    if (!copy.HasPixels()) {
        ShowMessage("No Image Data has been created");
        return;
    }
    FileRequest request{true, "Export Image File", "PNG Files (*.png)|*.png|All Files (*.*)|*.*||", "png",
                        copy.name + ".png"};
    std::string path;
    if (!ChooseFile(this, request, path))
        return;
    if (ExportOverlayPng(copy, path) != 0)
        ShowMessage("Unable to save image to file " + path);
}

bool OverlayEditDialogRunner::Edit(ImageOverlay& overlay)
{
    CImageOverlayEditDlg dialog(m_parent);
    // Copies allocate pixels; an overlay without any stays so until OK sizes it.
    dialog.copy = overlay;
    if (!overlay.HasPixels())
        dialog.copy.pixels.reset();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    overlay = dialog.copy;
    return true;
}

} // namespace kv
