// The open dialog of the load-selection-from-image command: an image file and how its mask
// combines with the selection.
#pragma once

#include "document/DocumentServices.h"
#include "gui/controls/FileDialogs.h"

class QComboBox;

namespace kv {

class CSelectionFileDlg : public CMyFileDialog {
    Q_OBJECT
public:
    explicit CSelectionFileDlg(const SelectionFileValues& values, QWidget* parent = nullptr);

    SelectionFileValues values;
    QComboBox* CombineList() const { return m_combine; }
    void accept() override;

private:
    QComboBox* m_combine;
};

} // namespace kv
