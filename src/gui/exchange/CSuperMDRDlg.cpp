#include "gui/exchange/CSuperMDRDlg.h"

#include "gui/exchange/ExchangeDialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CSuperMDRDlg::CSuperMDRDlg(const QString& caption, QWidget* parent)
    : QDialog(parent), m_width(new QLineEdit(this)), m_sixteenBit(new QCheckBox("&16-bit Integer Output", this))
{
    setWindowTitle(caption);
    auto* form = new QFormLayout;
    form->addRow("Width (samples):", m_width);
    form->addRow(m_sixteenBit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSuperMDRDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CSuperMDRDlg::showEvent(QShowEvent* event)
{
    m_width->setText(QString::number(width));
    m_sixteenBit->setChecked(sixteenBit);
    QDialog::showEvent(event);
}

void CSuperMDRDlg::accept()
{
    int w = 0;
    if (!TakeInt(m_width, 0, kMaxWidth, w))
        return;
    width = w;
    sixteenBit = m_sixteenBit->isChecked();
    QDialog::accept();
}

} // namespace kv
