#include "gui/dialogs/CClimateSelectDlgFace.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

CClimateSelectDlgFace::CClimateSelectDlgFace(const CClimateSelectDlg& v, QWidget* parent)
    : QDialog(parent), logic(v), m_list(new QListWidget(this))
{
    setWindowTitle("Climate Selection");
    SetControlId(m_list, 5371);
    logic.states.resize(logic.names.size(), 0);
    const size_t n = std::min<size_t>(logic.names.size(), kMaxNames);
    for (size_t i = 0; i < n; ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(logic.names[i]), m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(logic.states[i] != 0 ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(MakeButtons(this));
}

void CClimateSelectDlgFace::accept()
{
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem* item = m_list->item(row);
        const int index = item->data(Qt::UserRole).toInt();
        if (index >= 0 && static_cast<size_t>(index) < logic.states.size())
            logic.states[static_cast<size_t>(index)] = item->checkState() == Qt::Checked ? 1 : 0;
    }
    QDialog::accept();
}

} // namespace kv
