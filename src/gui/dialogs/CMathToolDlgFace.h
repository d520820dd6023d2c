// "Math Tools": Destination = Source 1 (operation) Source 2, or a constant.
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

class CMathToolDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kConstantSource = 9;
    static constexpr int kFirstOneSourceOperation = 5; // Copy, Minimum, Maximum

    explicit CMathToolDlgFace(const CMathToolDlg& dialog, QWidget* parent = nullptr);

    CMathToolDlg logic;
    QComboBox* DestinationList() const { return m_destination; }
    QComboBox* Source1List() const { return m_source1; }
    QComboBox* OperationList() const { return m_operation; }
    QComboBox* Source2List() const { return m_source2; }
    QLineEdit* ConstantEdit() const { return m_constant; }
    QLabel* ConstantLabel() const { return m_constantLabel; }
    QLabel* Source2Label() const { return m_source2Label; }
    void accept() override;

private:
    void OnOperationChanged();
    void OnSource2Changed();

    QComboBox* m_destination;
    QComboBox* m_source1;
    QComboBox* m_operation;
    QComboBox* m_source2;
    QLineEdit* m_constant;
    QLabel* m_source2Label;
    QLabel* m_constantLabel;
};

} // namespace kv
