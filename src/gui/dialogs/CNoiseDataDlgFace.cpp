#include "gui/dialogs/CNoiseDataDlgFace.h"

#include "base/AppSettings.h"
#include "base/Random.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <chrono>

namespace kv {

CNoiseDataDlgFace::CNoiseDataDlgFace(const NoiseDataValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_type(MakeCombo(this, 5542, {"Uniform", "Gaussian"})),
      m_mean(MakeEdit(this, 5392)), m_variance(MakeEdit(this, 5130)), m_except(MakeEdit(this, 5560)),
      m_seed(MakeEdit(this, 5490)), m_auto(MakeCheck(this, 5048, "&Auto Randseed"))
{
    setWindowTitle(values.caption.empty() ? QString("Add Noise") : QString::fromStdString(values.caption));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Noise Type:"), m_type);
    AddRow(grid, MakeLabel(this, 0, "Mean:"), m_mean);
    AddRow(grid, MakeLabel(this, 0, "Variance:"), m_variance);
    AddRow(grid, MakeLabel(this, 0, "Except:"), m_except);
    AddRow(grid, MakeLabel(this, 0, "Seed:"), m_seed, m_auto);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));

    // A hand-edited profile may hold anything: any non-zero value is on.
    values.autoRandseed = GetAppSettings().GetInt(kSection, kAutoRandseedKey, 1) != 0;
    if (values.autoRandseed)
        values.seed = DrawSeed();
    Show();
    connect(m_auto, &QCheckBox::clicked, this, &CNoiseDataDlgFace::OnAutoClicked);
}

int CNoiseDataDlgFace::DrawSeed()
{
    // Nanoseconds, so that two openings within one second still draw different seeds.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    SRand(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return Rand();
}

void CNoiseDataDlgFace::Show()
{
    m_type->setCurrentIndex(values.noiseType >= 0 && values.noiseType < m_type->count() ? values.noiseType : -1);
    m_mean->setText(FloatText(values.mean));
    m_variance->setText(FloatText(values.variance));
    m_except->setText(FloatText(values.except));
    m_seed->setText(QString::number(values.seed));
    m_auto->setChecked(values.autoRandseed);
}

void CNoiseDataDlgFace::OnAutoClicked()
{
    values.noiseType = m_type->currentIndex();
    if (const auto f = ParseFloat(m_mean->text()))
        values.mean = *f;
    if (const auto f = ParseFloat(m_variance->text()))
        values.variance = *f;
    if (const auto f = ParseFloat(m_except->text()))
        values.except = *f;
    if (const auto i = ParseInt(m_seed->text()))
        values.seed = *i;
    values.autoRandseed = m_auto->isChecked();
    if (values.autoRandseed)
        values.seed = DrawSeed();
    Show();
}

void CNoiseDataDlgFace::accept()
{
    DialogData dx;
    NoiseDataValues read = values;
    if (!dx.Float(m_mean, read.mean) || !dx.Float(m_variance, read.variance) || !dx.Float(m_except, read.except) ||
        !dx.Int(m_seed, read.seed))
        return;
    read.noiseType = m_type->currentIndex();
    read.autoRandseed = m_auto->isChecked();
    values = read;
    GetAppSettings().WriteInt(kSection, kAutoRandseedKey, values.autoRandseed ? 1 : 0);
    QDialog::accept();
}

} // namespace kv
