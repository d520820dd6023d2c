// "Altitude Range Selection" (and its rainfall and temperature twins): a test, one or two
// values in the document's display units, and how the result combines with the selection.
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

class CRangeSelectDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit CRangeSelectDlgFace(const CRangeSelectDlg& dialog, QWidget* parent = nullptr);

    CRangeSelectDlg logic;
    QComboBox* TestList() const { return m_test; }
    QComboBox* CombineList() const { return m_combine; }
    QLineEdit* LowEdit() const { return m_low; }
    QLineEdit* HighEdit() const { return m_high; }
    QLabel* LowLabel() const { return m_lowLabel; }
    QLabel* HighLabel() const { return m_highLabel; }
    void accept() override;

private:
    void Relabel();
    void OnTestChanged(int index);

    QComboBox* m_test;
    QLineEdit* m_low;
    QLineEdit* m_high;
    QComboBox* m_combine;
    QLabel* m_lowLabel;
    QLabel* m_highLabel;
};

} // namespace kv
