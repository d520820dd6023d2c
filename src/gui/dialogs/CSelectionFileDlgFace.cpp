#include "gui/dialogs/CSelectionFileDlgFace.h"

#include "gui/controls/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace kv {

CSelectionFileDlgFace::CSelectionFileDlgFace(const CSelectionFileDlg& v, QWidget* parent)
    : CMyFileDialog(!v.open, QString::fromStdString(v.defaultExtension), QString::fromStdString(v.path), v.filter,
                    parent),
      logic(v),
      m_combine(MakeCombo(this, CSelectionFileDlg::kCombineCombo,
                          {"Replace Selection", "Add to Selection", "Subtract from Selection"}))
{
    if (!logic.title.empty())
        setWindowTitle(QString::fromStdString(logic.title));
    if (!logic.folder.empty())
        setDirectory(QString::fromStdString(logic.folder));
    m_combine->setCurrentIndex(logic.combine >= 0 && logic.combine < 3 ? logic.combine : 0);
    logic.combine = m_combine->currentIndex();
    // Qt's own file dialog lays itself out on a grid: the list goes below its rows.
    // Only the open dialog of a selection image shows it.
    m_combine->setVisible(logic.showCombine);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid && logic.showCombine) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel("Selection:", this), row, 0);
        grid->addWidget(m_combine, row, 1);
    }
    connect(m_combine, &QComboBox::currentIndexChanged, this, [this](int index) { logic.combine = index; });
}

void CSelectionFileDlgFace::accept()
{
    CMyFileDialog::accept();
    const QStringList files = selectedFiles();
    if (result() == QDialog::Accepted && !files.isEmpty())
        logic.path = files.front().toStdString();
}

} // namespace kv
