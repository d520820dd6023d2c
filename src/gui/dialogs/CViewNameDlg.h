// "Enter View Name": the name of a new saved view (at most 60 characters).
#pragma once

#include <QDialog>

class QLineEdit;

namespace kv {

class CViewNameDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 623;
    static constexpr int kMaxName = 60;

    explicit CViewNameDlg(QWidget* parent = nullptr);
    QString Name() const;
    QLineEdit* NameEdit() const { return m_name; }

private:
    QLineEdit* m_name;
};

} // namespace kv
