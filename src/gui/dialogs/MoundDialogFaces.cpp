#include "gui/dialogs/MoundDialogFaces.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/ProcessCurvesDlgFace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QVBoxLayout* Frame(QDialog* dialog, QGridLayout* grid)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(dialog));
    return layout;
}

} // namespace

CMoundEditDlgFace::CMoundEditDlgFace(const CMoundEditDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_minimum(MakeEdit(this, CMoundEditDlg::kMinimumEdit)),
      m_maximum(MakeEdit(this, CMoundEditDlg::kMaximumEdit)), m_noise(MakeEdit(this, CMoundEditDlg::kNoiseEdit)),
      m_operation(MakeCombo(this, CMoundEditDlg::kOperationCombo, {}))
{
    setWindowTitle("Profiled Mound");
    for (const auto& [text, data] : CMoundEditDlg::OperationItems())
        m_operation->addItem(QString::fromStdString(text), data);
    m_operation->setCurrentIndex(std::max(0, m_operation->findData(logic.operation)));
    m_minimum->setText(FloatText(logic.minimum));
    m_maximum->setText(FloatText(logic.maximum));
    m_noise->setText(FloatText(logic.noise));
    auto* profile = new QPushButton("Edit Profile...", this);
    SetControlId(profile, CMoundEditDlg::kEditProfileButton);
    profile->setAutoDefault(false);
    runCurves = [this](ProcessCurvesDlg& curves) {
        ProcessCurvesDlgFace face(curves, this);
        if (RunModal(face) != QDialog::Accepted)
            return false;
        curves = face.logic;
        return true;
    };
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Minimum Height:"), m_minimum);
    AddRow(grid, MakeLabel(this, 0, "Maximum Height:"), m_maximum);
    AddRow(grid, MakeLabel(this, 0, "Noise:"), m_noise, MakeLabel(this, 0, "%"));
    AddRow(grid, MakeLabel(this, 0, "Operation:"), m_operation);
    AddRow(grid, nullptr, profile);
    Frame(this, grid);
    connect(profile, &QPushButton::clicked, this, &CMoundEditDlgFace::OnEditProfile);
}

void CMoundEditDlgFace::OnEditProfile() { logic.OnEditProfile(runCurves); }

void CMoundEditDlgFace::accept()
{
    DialogData dx;
    float minimum = 0, maximum = 0, noise = 0;
    if (!dx.Float(m_minimum, minimum) || !dx.Float(m_maximum, maximum) || !dx.Float(m_noise, noise))
        return;
    logic.minimum = minimum;
    logic.maximum = maximum;
    logic.noise = noise;
    logic.operation = m_operation->currentData().toInt();
    QDialog::accept();
}

CMoundSettingsDlgFace::CMoundSettingsDlgFace(const CMoundSettingsDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_min(MakeEdit(this, CMoundSettingsDlg::kMinEdit)),
      m_max(MakeEdit(this, CMoundSettingsDlg::kMaxEdit)), m_gamma(MakeEdit(this, CMoundSettingsDlg::kGammaEdit)),
      m_replace(MakeCheck(this, CMoundSettingsDlg::kReplaceCheck, "Replace Offset")),
      m_minLabel(MakeLabel(this, 0, QString::fromStdString(CMoundSettingsDlg::MinLabel(IsMetric())))),
      m_maxLabel(MakeLabel(this, 0, QString::fromStdString(CMoundSettingsDlg::MaxLabel(IsMetric()))))
{
    setWindowTitle("Mound Settings");
    m_min->setText(FloatText(logic.min));
    m_max->setText(FloatText(logic.max));
    m_gamma->setText(FloatText(logic.gamma));
    m_replace->setChecked(logic.replaceOffset);
    auto* grid = new QGridLayout;
    AddRow(grid, m_minLabel, m_min);
    AddRow(grid, m_maxLabel, m_max);
    AddRow(grid, MakeLabel(this, 0, "Gamma:"), m_gamma);
    AddRow(grid, nullptr, m_replace);
    Frame(this, grid);
}

void CMoundSettingsDlgFace::accept()
{
    DialogData dx;
    float min = 0, max = 0, gamma = 0;
    if (!dx.Float(m_min, min) || !dx.Float(m_max, max) || !dx.Float(m_gamma, gamma))
        return;
    logic.min = min;
    logic.max = max;
    logic.gamma = gamma;
    logic.replaceOffset = m_replace->isChecked();
    QDialog::accept();
}

CMoundtainSettingsDlgFace::CMoundtainSettingsDlgFace(const CMoundtainSettingsDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_contract(MakeEdit(this, CMoundtainSettingsDlg::kContractEdit)),
      m_feather(MakeEdit(this, CMoundtainSettingsDlg::kFeatherEdit)),
      m_gamma(MakeEdit(this, CMoundtainSettingsDlg::kGammaEdit)),
      m_max(MakeEdit(this, CMoundtainSettingsDlg::kMaxEdit)), m_min(MakeEdit(this, CMoundtainSettingsDlg::kMinEdit))
{
    setWindowTitle("Moundtain Settings");
    m_contract->setText(QString::number(logic.contract));
    m_feather->setText(FloatText(logic.feather));
    m_gamma->setText(FloatText(logic.gamma));
    m_max->setText(FloatText(logic.max));
    m_min->setText(FloatText(logic.min));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Contract:"), m_contract);
    AddRow(grid, MakeLabel(this, 0, "Feather:"), m_feather);
    AddRow(grid, MakeLabel(this, 0, "Gamma:"), m_gamma);
    AddRow(grid, MakeLabel(this, 0, "Max:"), m_max);
    AddRow(grid, MakeLabel(this, 0, "Min:"), m_min);
    Frame(this, grid);
}

void CMoundtainSettingsDlgFace::accept()
{
    DialogData dx;
    CMoundtainSettingsDlg read = logic;
    if (!dx.Int(m_contract, read.contract) || !dx.Float(m_feather, read.feather) || !dx.Float(m_gamma, read.gamma) ||
        !dx.Float(m_max, read.max) || !dx.Float(m_min, read.min))
        return;
    std::string message;
    int control = 0;
    if (!read.Validate(message, control)) {
        ShowMessage(message);
        if (auto* edit = qobject_cast<QLineEdit*>(FindControl(this, control))) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    logic = read;
    QDialog::accept();
}

InciseFlowProcessDlgFace::InciseFlowProcessDlgFace(const InciseFlowProcessDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_blur(MakeEdit(this, 5671)), m_amount(MakeEdit(this, 5670)),
      m_exponent(MakeEdit(this, 5472)), m_blend(MakeEdit(this, 5674))
{
    setWindowTitle("Incise Flow Process");
    m_blur->setText(FloatText(logic.settings.blur));
    m_amount->setText(FloatText(logic.settings.amount));
    m_exponent->setText(FloatText(logic.settings.flowExponent));
    m_blend->setText(FloatText(logic.settings.effectBlend));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, InciseFlowProcessDlg::kBlurLabel), m_blur,
           MakeLabel(this, 0, InciseFlowProcessDlg::kBlurUnit));
    AddRow(grid, MakeLabel(this, 0, InciseFlowProcessDlg::kAmountLabel), m_amount);
    AddRow(grid, MakeLabel(this, 0, InciseFlowProcessDlg::kExponentLabel), m_exponent);
    AddRow(grid, MakeLabel(this, 0, InciseFlowProcessDlg::kBlendLabel), m_blend,
           MakeLabel(this, 0, InciseFlowProcessDlg::kBlendUnit));
    Frame(this, grid);
}

void InciseFlowProcessDlgFace::accept()
{
    DialogData dx;
    InciseFlowSettings read = logic.settings;
    if (!dx.Float(m_blur, read.blur) || !dx.Float(m_amount, read.amount) || !dx.Float(m_exponent, read.flowExponent) ||
        !dx.Float(m_blend, read.effectBlend))
        return;
    logic.settings = read;
    QDialog::accept();
}

} // namespace kv
