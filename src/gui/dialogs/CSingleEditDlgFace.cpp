#include "gui/dialogs/CSingleEditDlgFace.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CSingleEditDlgFace::CSingleEditDlgFace(const SingleEditValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_label(MakeLabel(this, 5436, QString::fromStdString(v.label))),
      m_edit(MakeEdit(this, 5550))
{
    setWindowTitle(QString::fromStdString(values.caption));
    m_edit->setText(FloatText(values.value));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    const int context = values.helpContext + kHelpBase;
    layout->addWidget(MakeButtons(this, [context] { OpenHelpContext(context); }));
}

void CSingleEditDlgFace::accept()
{
    DialogData dx;
    if (!dx.Float(m_edit, values.value))
        return;
    QDialog::accept();
}

} // namespace kv
