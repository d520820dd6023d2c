// "Climate Selection": a check list of climate names (at most 32).
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QListWidget;

namespace kv {

class CClimateSelectDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNames = 32;

    explicit CClimateSelectDlgFace(const CClimateSelectDlg& dialog, QWidget* parent = nullptr);

    CClimateSelectDlg logic;
    QListWidget* List() const { return m_list; }
    void accept() override;

private:
    QListWidget* m_list;
};

} // namespace kv
