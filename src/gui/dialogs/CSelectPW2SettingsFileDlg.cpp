#include "gui/dialogs/CSelectPW2SettingsFileDlg.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace kv {

CSelectPW2SettingsFileDlg::CSelectPW2SettingsFileDlg(const std::string& folder, const std::string& name,
                                                     QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)), m_name(name)
{
    setWindowTitle("Select Export Definition");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    const ExportDefinitionChoice choice = ExportDefinitionChoice::List(folder, name);
    for (const std::string& n : choice.names)
        m_list->addItem(QString::fromStdString(n));
    if (choice.selected >= 0)
        m_list->setCurrentRow(choice.selected);
    else
        m_list->setCurrentRow(-1);
}

void CSelectPW2SettingsFileDlg::accept()
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->currentItem() || !m_list->currentItem()->isSelected()) {
        QDialog::reject();
        return;
    }
    m_name = m_list->item(row)->text().toStdString();
    QDialog::accept();
}

} // namespace kv
