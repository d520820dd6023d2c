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

CNoiseDataDlgFace::CNoiseDataDlgFace(const CNoiseDataDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_type(MakeCombo(this, CNoiseDataDlg::kTypeCombo, {"Uniform", "Gaussian"})),
      m_mean(MakeEdit(this, CNoiseDataDlg::kMeanEdit)), m_variance(MakeEdit(this, CNoiseDataDlg::kVarianceEdit)),
      m_except(MakeEdit(this, CNoiseDataDlg::kExceptEdit)), m_seed(MakeEdit(this, CNoiseDataDlg::kSeedEdit)),
      m_auto(MakeCheck(this, CNoiseDataDlg::kAutoRandseedCheck, "&Auto Randseed"))
{
    setWindowTitle(QString::fromStdString(logic.caption.empty() ? CNoiseDataDlg::kDefaultCaption : logic.caption));
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
    autoRandseed = GetAppSettings().GetInt(kSection, kAutoRandseedKey, 1) != 0;
    if (autoRandseed)
        logic.seed = DrawSeed();
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
    m_type->setCurrentIndex(logic.noiseType >= 0 && logic.noiseType < m_type->count() ? logic.noiseType : -1);
    m_mean->setText(FloatText(logic.mean));
    m_variance->setText(FloatText(logic.variance));
    m_except->setText(FloatText(logic.except));
    m_seed->setText(QString::number(logic.seed));
    m_auto->setChecked(autoRandseed);
}

void CNoiseDataDlgFace::OnAutoClicked()
{
    logic.noiseType = m_type->currentIndex();
    if (const auto f = ParseFloat(m_mean->text()))
        logic.mean = *f;
    if (const auto f = ParseFloat(m_variance->text()))
        logic.variance = *f;
    if (const auto f = ParseFloat(m_except->text()))
        logic.except = *f;
    if (const auto i = ParseInt(m_seed->text()))
        logic.seed = *i;
    autoRandseed = m_auto->isChecked();
    if (autoRandseed)
        logic.seed = DrawSeed();
    Show();
}

void CNoiseDataDlgFace::accept()
{
    DialogData dx;
    CNoiseDataDlg read = logic;
    if (!dx.Float(m_mean, read.mean) || !dx.Float(m_variance, read.variance) || !dx.Float(m_except, read.except) ||
        !dx.Int(m_seed, read.seed))
        return;
    read.noiseType = m_type->currentIndex();
    autoRandseed = m_auto->isChecked();
    logic = read;
    GetAppSettings().WriteInt(kSection, kAutoRandseedKey, autoRandseed ? 1 : 0);
    QDialog::accept();
}

} // namespace kv
