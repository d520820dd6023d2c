#include "gui/dialogs/CViewNameDlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CViewNameDlg::CViewNameDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Enter View Name"));
    auto* layout = new QVBoxLayout(this);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(kMaxName);
    layout->addWidget(m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CViewNameDlg::Name() const { return m_name->text(); }

} // namespace kv
