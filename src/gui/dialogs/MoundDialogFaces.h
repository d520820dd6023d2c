// The windows of the mound dialogs and of Incise Flow, over their value records: each
// shows the record's values, reads and checks them on OK and writes them back.
#pragma once

#include "document/MoundDialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

// "Profiled Mound": heights, noise, the operation and the profile edited in the curve
// editor.
class CMoundEditDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit CMoundEditDlgFace(const CMoundEditDlg& dialog, QWidget* parent = nullptr);

    CMoundEditDlg logic;
    // Runs the curve editor for "Edit Profile..." (the curve editor's window unless replaced).
    CurvesDialogRunner runCurves;

    QLineEdit* MinimumEdit() const { return m_minimum; }
    QLineEdit* MaximumEdit() const { return m_maximum; }
    QLineEdit* NoiseEdit() const { return m_noise; }
    QComboBox* OperationList() const { return m_operation; }
    void OnEditProfile();
    void accept() override;

private:
    QLineEdit* m_minimum;
    QLineEdit* m_maximum;
    QLineEdit* m_noise;
    QComboBox* m_operation;
};

// "Mound Settings".
class CMoundSettingsDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit CMoundSettingsDlgFace(const CMoundSettingsDlg& dialog, QWidget* parent = nullptr);

    CMoundSettingsDlg logic;
    QLineEdit* MinEdit() const { return m_min; }
    QLineEdit* MaxEdit() const { return m_max; }
    QLineEdit* GammaEdit() const { return m_gamma; }
    QCheckBox* ReplaceCheck() const { return m_replace; }
    QLabel* MinLabel() const { return m_minLabel; }
    QLabel* MaxLabel() const { return m_maxLabel; }
    void accept() override;

private:
    QLineEdit* m_min;
    QLineEdit* m_max;
    QLineEdit* m_gamma;
    QCheckBox* m_replace;
    QLabel* m_minLabel;
    QLabel* m_maxLabel;
};

// "Moundtain Settings".
class CMoundtainSettingsDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit CMoundtainSettingsDlgFace(const CMoundtainSettingsDlg& dialog, QWidget* parent = nullptr);

    CMoundtainSettingsDlg logic;
    QLineEdit* ContractEdit() const { return m_contract; }
    QLineEdit* FeatherEdit() const { return m_feather; }
    QLineEdit* GammaEdit() const { return m_gamma; }
    QLineEdit* MinEdit() const { return m_min; }
    QLineEdit* MaxEdit() const { return m_max; }
    void accept() override;

private:
    QLineEdit* m_contract;
    QLineEdit* m_feather;
    QLineEdit* m_gamma;
    QLineEdit* m_max;
    QLineEdit* m_min;
};

// "Incise Flow Process".
class InciseFlowProcessDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit InciseFlowProcessDlgFace(const InciseFlowProcessDlg& dialog, QWidget* parent = nullptr);

    InciseFlowProcessDlg logic;
    QLineEdit* BlurEdit() const { return m_blur; }
    QLineEdit* AmountEdit() const { return m_amount; }
    QLineEdit* ExponentEdit() const { return m_exponent; }
    QLineEdit* BlendEdit() const { return m_blend; }
    void accept() override;

private:
    QLineEdit* m_blur;
    QLineEdit* m_amount;
    QLineEdit* m_exponent;
    QLineEdit* m_blend;
};

} // namespace kv
