// One value with a label under a caption: the global adjust and script commands' prompt.
#pragma once

#include "document/DocumentServices.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kv {

class CSingleEditDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpBase = 0x20000;

    explicit CSingleEditDlgFace(const SingleEditValues& values, QWidget* parent = nullptr);

    SingleEditValues values;
    QLineEdit* Edit() const { return m_edit; }
    QLabel* Label() const { return m_label; }
    void accept() override;

private:
    QLabel* m_label;
    QLineEdit* m_edit;
};

} // namespace kv
