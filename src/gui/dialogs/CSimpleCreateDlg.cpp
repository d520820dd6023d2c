#include "gui/dialogs/CSimpleCreateDlg.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <iterator>

namespace kv {

namespace {

constexpr int kResolutionCount = static_cast<int>(std::size(SimpleCreateSettings::kResolutions));
constexpr int kRaysCount = static_cast<int>(std::size(SimpleCreateSettings::kRays));

double* Field(SimpleCreateSettings& s, int index)
{
    double* const fields[CSimpleCreateDlg::kEdits] = {&s.mountainPeak, &s.mountainBase, &s.hillTop, &s.hillBase,
                                                      &s.shallow,      &s.abyss,        &s.trench};
    return fields[index];
}

QSlider* MakeSlider(QWidget* parent, int last, int position)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, last);
    slider->setValue(position);
    return slider;
}

} // namespace

CSimpleCreateQualityDlg::CSimpleCreateQualityDlg(int res, int r, QWidget* parent)
    : QDialog(parent), resolution(res), rays(r),
      m_resolution(MakeSlider(this, kResolutionCount - 1, SimpleCreateSettings::ResolutionIndex(res))),
      m_rays(MakeSlider(this, kRaysCount - 1, SimpleCreateSettings::RaysIndex(r))),
      m_resolutionLabel(new QLabel(this)), m_raysLabel(new QLabel(this))
{
    setObjectName(QString::number(kTemplate));
    setWindowTitle("Quality Settings");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_resolutionLabel);
    layout->addWidget(m_resolution);
    layout->addWidget(m_raysLabel);
    layout->addWidget(m_rays);
    layout->addWidget(MakeButtons(this));
    connect(m_resolution, &QSlider::valueChanged, this, [this] { Relabel(); });
    connect(m_rays, &QSlider::valueChanged, this, [this] { Relabel(); });
    Relabel();
}

void CSimpleCreateQualityDlg::Relabel()
{
    m_resolutionLabel->setText(
        QString("Image Resolution (%1)").arg(SimpleCreateSettings::kResolutions[m_resolution->value()]));
    m_raysLabel->setText(QString("Per-Sample Quality (%1)").arg(SimpleCreateSettings::kRays[m_rays->value()]));
}

void CSimpleCreateQualityDlg::accept()
{
    resolution = SimpleCreateSettings::kResolutions[m_resolution->value()];
    rays = SimpleCreateSettings::kRays[m_rays->value()];
    QDialog::accept();
}

CSimpleCreateDlg::CSimpleCreateDlg(const SimpleCreateSettings& v, QWidget* parent) : QDialog(parent), values(v)
{
    setObjectName(QString::number(kTemplate));
    setWindowTitle("Simple Create Mode");
    static const char* const kLabels[kEdits] = {"&Mountain Peak Height:", "Mountain &Base Height:",
                                                "&Hill Peak Height:",     "H&ill Base Height:",
                                                "&Shallow Sea Depth:",    "&Abyssal Plain Depth:",
                                                "&Trench Depth:"};
    auto* grid = new QGridLayout;
    for (int i = 0; i < kEdits; ++i) {
        m_edits[i] = MakeEdit(this, 0);
        ShowNumber(m_edits[i], *Field(values, i));
        QLabel* label = MakeLabel(this, 0, kLabels[i]);
        label->setBuddy(m_edits[i]);
        AddRow(grid, label, m_edits[i]);
    }
    m_climatesOnly = MakeCheck(this, 0, "&Climates Only");
    m_climatesOnly->setChecked(values.climatesOnly != 0);
    AddRow(grid, nullptr, m_climatesOnly);
    auto* quality = new QPushButton("Quality Settings...", this);
    quality->setAutoDefault(false);
    connect(quality, &QPushButton::clicked, this, &CSimpleCreateDlg::OpenQuality);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(quality);
    layout->addWidget(MakeButtons(this));
}

void CSimpleCreateDlg::OpenQuality()
{
    CSimpleCreateQualityDlg quality(values.resolution, values.rays, this);
    if (RunModal(quality) != QDialog::Accepted)
        return;
    values.resolution = quality.resolution;
    values.rays = quality.rays;
}

void CSimpleCreateDlg::accept()
{
    DialogData dx;
    SimpleCreateSettings read = values;
    for (int i = 0; i < kEdits; ++i)
        if (!dx.Double(m_edits[i], *Field(read, i)))
            return;
    read.climatesOnly = m_climatesOnly->isChecked() ? 1 : 0;
    values = read;
    QDialog::accept();
}

} // namespace kv
