// The window of the one-value dialog: a value with a label under a caption, over the
// command's record (CSingleEditDlg).
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kv {

class CSingleEditDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpBase = 0x20000;

    explicit CSingleEditDlgFace(const CSingleEditDlg& dialog, QWidget* parent = nullptr);

    CSingleEditDlg logic;
    QLineEdit* Edit() const { return m_edit; }
    QLabel* Label() const { return m_label; }
    void accept() override;

private:
    QLabel* m_label;
    QLineEdit* m_edit;
};

} // namespace kv
