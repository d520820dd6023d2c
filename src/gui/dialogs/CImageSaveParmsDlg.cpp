#include "gui/dialogs/CImageSaveParmsDlg.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace kv {

CImageSaveParmsDlg::CImageSaveParmsDlg(const ImageSaveValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_width(MakeEdit(this, 5571)), m_height(MakeEdit(this, 5264)),
      m_keep(MakeCheck(this, 5284, "Keep Main Window Proportions")), m_quality(new QSlider(Qt::Horizontal, this))
{
    setWindowTitle("Image Save Parameters");
    SetControlId(m_quality, 5437);
    m_width->setText(QString::number(values.width));
    m_height->setText(QString::number(values.height));
    m_keep->setChecked(values.keepProportions);
    m_height->setEnabled(!values.keepProportions);
    m_quality->setRange(0, 100);
    m_quality->setValue(std::clamp(values.quality, 0, 100));

    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Width:"), m_width);
    AddRow(grid, MakeLabel(this, 0, "Height:"), m_height);
    AddRow(grid, nullptr, m_keep);
    auto* quality = new QGroupBox("JPEG Image Quality", this);
    SetControlId(quality, 5440);
    auto* qualityRow = new QHBoxLayout(quality);
    qualityRow->addWidget(MakeLabel(quality, 5438, "Low"));
    qualityRow->addWidget(m_quality);
    qualityRow->addWidget(MakeLabel(quality, 5439, "High"));
    quality->setEnabled(values.jpeg);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(quality);
    layout->addWidget(MakeButtons(this));
    connect(m_keep, &QCheckBox::toggled, this, &CImageSaveParmsDlg::OnKeepToggled);
}

void CImageSaveParmsDlg::OnKeepToggled()
{
    DialogData dx;
    int width = values.width, height = values.height;
    if (!dx.Int(m_width, width) || !dx.Int(m_height, height))
        return;
    values.width = width;
    values.height = height;
    values.keepProportions = m_keep->isChecked();
    m_height->setEnabled(!values.keepProportions);
    if (!values.keepProportions)
        return;
    const int64_t w = std::min<int64_t>(std::llabs(static_cast<int64_t>(values.width)), INT_MAX);
    values.width = static_cast<int>(w);
    // Without a main window size the height stays as typed.
    if (values.mainWidth != 0) {
        const int64_t h = static_cast<int64_t>(values.mainHeight) * w / values.mainWidth;
        values.height = static_cast<int>(std::clamp<int64_t>(h, INT_MIN, INT_MAX));
    }
    m_width->setText(QString::number(values.width));
    m_height->setText(QString::number(values.height));
}

void CImageSaveParmsDlg::accept()
{
    DialogData dx;
    int width = 0, height = 0;
    if (!dx.Int(m_width, width) || !dx.Int(m_height, height))
        return;
    values.width = width;
    values.height = height;
    values.keepProportions = m_keep->isChecked();
    values.quality = m_quality->value();
    QDialog::accept();
}

} // namespace kv
