// "Climate Selection": a check list of climate names (at most 32).
#pragma once

#include "document/DocumentServices.h"

#include <QDialog>

class QListWidget;

namespace kv {

class CClimateSelectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNames = 32;

    explicit CClimateSelectDlg(const ClimateSelectValues& values, QWidget* parent = nullptr);

    ClimateSelectValues values;
    QListWidget* List() const { return m_list; }
    void accept() override;

private:
    QListWidget* m_list;
};

} // namespace kv
