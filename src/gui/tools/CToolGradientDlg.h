// The gradient tools' option panel: start and end values (display units), the blend curve,
// the gradient kind and the combine operation. It lives in the tool options bar while a
// gradient tool is active.
#pragma once

#include "view/tools/ToolPanels.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace kv {

class CToolGradientDlg : public QWidget, public GradientOptionsPanel {
public:
    static constexpr int kStartEdit = 5711;
    static constexpr int kEndEdit = 5712;
    static constexpr int kCurveCombo = 5030;
    static constexpr int kKindCombo = 5542;
    static constexpr int kOperationCombo = 5604;

    explicit CToolGradientDlg(QWidget* parent = nullptr);
    void Load(const GradientPanelValues& values) override;
    // False (values untouched) when start or end is not a finite number.
    bool Read(GradientPanelValues& values) override;

    QLineEdit* StartEdit() const { return m_start; }
    QLineEdit* EndEdit() const { return m_end; }
    QComboBox* CurveCombo() const { return m_curve; }
    QComboBox* KindCombo() const { return m_kind; }
    QComboBox* OperationCombo() const { return m_operation; }

private:
    QLineEdit* m_start;
    QLineEdit* m_end;
    QComboBox* m_curve;
    QComboBox* m_kind;
    QComboBox* m_operation;
};

} // namespace kv
