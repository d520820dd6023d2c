#include "gui/dialogs/CSelectionFileDlg.h"

#include "gui/controls/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace kv {

CSelectionFileDlg::CSelectionFileDlg(const SelectionFileValues& v, QWidget* parent)
    : CMyFileDialog(false, QString(), QString::fromStdString(v.path), v.filter, parent), values(v),
      m_combine(MakeCombo(this, 5495, {"Replace Selection", "Add to Selection", "Subtract from Selection"}))
{
    if (!values.title.empty())
        setWindowTitle(QString::fromStdString(values.title));
    m_combine->setCurrentIndex(values.combine >= 0 && values.combine < 3 ? values.combine : 0);
    values.combine = m_combine->currentIndex();
    // Qt's own file dialog lays itself out on a grid: the list goes below its rows.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel("Selection:", this), row, 0);
        grid->addWidget(m_combine, row, 1);
    }
    connect(m_combine, &QComboBox::currentIndexChanged, this, [this](int index) { values.combine = index; });
}

void CSelectionFileDlg::accept()
{
    CMyFileDialog::accept();
    const QStringList files = selectedFiles();
    if (result() == QDialog::Accepted && !files.isEmpty())
        values.path = files.front().toStdString();
}

} // namespace kv
