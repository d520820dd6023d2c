#include "gui/dialogs/CSingleEditDlgFace.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CSingleEditDlgFace::CSingleEditDlgFace(const CSingleEditDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog),
      m_label(MakeLabel(this, CSingleEditDlg::kPromptLabel, QString::fromStdString(dialog.prompt))),
      m_edit(MakeEdit(this, CSingleEditDlg::kValueEdit))
{
    setWindowTitle(QString::fromStdString(logic.title));
    m_edit->setText(FloatText(logic.value));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    const int context = logic.helpTopic + kHelpBase;
    layout->addWidget(MakeButtons(this, [context] { OpenHelpContext(context); }));
}

void CSingleEditDlgFace::accept()
{
    DialogData dx;
    if (!dx.Float(m_edit, logic.value))
        return;
    QDialog::accept();
}

} // namespace kv
