// The window of the commands' file dialog (CSelectionFileDlg): open or save, and for a
// selection image the list of how its mask combines with the selection.
#pragma once

#include "document/TerrainDialogs.h"
#include "gui/controls/FileDialogs.h"

class QComboBox;

namespace kv {

class CSelectionFileDlgFace : public CMyFileDialog {
    Q_OBJECT
public:
    explicit CSelectionFileDlgFace(const CSelectionFileDlg& dialog, QWidget* parent = nullptr);

    CSelectionFileDlg logic;
    QComboBox* CombineList() const { return m_combine; }
    void accept() override;

private:
    QComboBox* m_combine;
};

} // namespace kv
