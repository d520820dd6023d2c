#include "gui/dialogs/CMathToolDlgFace.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

namespace {

void Select(QComboBox* combo, int index) { combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : 0); }

} // namespace

CMathToolDlgFace::CMathToolDlgFace(const CMathToolDlg& v, QWidget* parent)
    : QDialog(parent), logic(v),
      m_destination(MakeCombo(this, 5661, {"Offset", "Roughness", "Prescale Offset", "Temperature", "Rainfall",
                                           "Water", "Selection", "User Buffer"})),
      m_source1(MakeCombo(this, 5603, {"Offset", "Roughness", "Prescale Offset", "Temperature", "Rainfall", "Water",
                                       "Selection", "User Buffer", "Altitude"})),
      m_operation(MakeCombo(this, 5604, {"+ (Add)", "- (Subtract)", " * (Multiply)", "/ (Divide)", "^ (Exponent)",
                                         "Copy", "Minimum", "Maximum"})),
      m_source2(MakeCombo(this, 5605, {"Offset", "Roughness", "Prescale Offset", "Temperature", "Rainfall", "Water",
                                       "Selection", "User Buffer", "Altitude", "Constant"})),
      m_constant(MakeEdit(this, 5662)), m_source2Label(MakeLabel(this, 0, "Source &2")),
      m_constantLabel(MakeLabel(this, 0, "&Constant Value"))
{
    setWindowTitle("Math Tools");
    Select(m_destination, logic.destination);
    Select(m_source1, logic.source1);
    Select(m_operation, logic.operation);
    Select(m_source2, logic.source2);
    m_constant->setText(FloatText(logic.constant));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "&Destination"), m_destination);
    AddRow(grid, MakeLabel(this, 0, "Source &1"), m_source1);
    AddRow(grid, MakeLabel(this, 0, "&Operation"), m_operation);
    AddRow(grid, m_source2Label, m_source2);
    AddRow(grid, m_constantLabel, m_constant);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
    OnSource2Changed();
    OnOperationChanged();
    connect(m_operation, &QComboBox::currentIndexChanged, this, &CMathToolDlgFace::OnOperationChanged);
    connect(m_source2, &QComboBox::currentIndexChanged, this, &CMathToolDlgFace::OnSource2Changed);
}

void CMathToolDlgFace::OnOperationChanged()
{
    const bool twoSources = m_operation->currentIndex() < kFirstOneSourceOperation;
    m_source2->setEnabled(twoSources);
    m_source2Label->setEnabled(twoSources);
    m_constant->setEnabled(twoSources);
    m_constantLabel->setEnabled(twoSources);
}

void CMathToolDlgFace::OnSource2Changed()
{
    const bool constant = m_source2->currentIndex() == kConstantSource;
    m_constant->setEnabled(constant);
    m_constantLabel->setEnabled(constant);
}

void CMathToolDlgFace::accept()
{
    DialogData dx;
    float constant = 0.0f;
    if (!dx.Float(m_constant, constant))
        return;
    logic.constant = constant;
    logic.destination = m_destination->currentIndex();
    logic.source1 = m_source1->currentIndex();
    logic.operation = m_operation->currentIndex();
    logic.source2 = m_source2->currentIndex();
    QDialog::accept();
}

} // namespace kv
