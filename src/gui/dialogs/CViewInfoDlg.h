// "View Management": the modeless saved-views window (a tool window without a taskbar
// button). One row a saved view; headers sort (names as text, numbers as numbers); Show
// applies one view, Delete removes the selected ones, Export As PW2 exports them, Add
// Current View stores what the map shows. The list is filled again after Add View and after
// saved views are loaded, keeping the selected views selected.
#pragma once

#include "document/CViewInfo.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace kv {

struct ViewInfoDlgActions {
    std::function<void(const CViewInfo&)> apply;
    std::function<void()> addCurrent;
    std::function<void()> modified;
    std::function<void(const std::vector<const CViewInfo*>&)> exportViews;
};

class CViewInfoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 621;
    static constexpr int kMinWidth = 264, kMinHeight = 174;
    enum ControlId {
        kExportId = 5133,
        kShowId = 5506,
        kHelpId = 57670,
        kListId = 5371,
        kAddId = 5006,
        kDeleteId = 5104,
        kCloseId = 5627
    };

    CViewInfoDlg(CViewInfoList& views, ViewInfoDlgActions actions, QWidget* parent = nullptr);

    // Rebuilds the rows from the list, keeping the selection of the views still there.
    void FillList();
    QTreeWidget* List() const { return m_list; }
    QPushButton* Button(int id) const;
    // The selected saved views in row order.
    std::vector<CViewInfo*> SelectedViews() const;

    void ShowSelected();
    void DeleteSelected();
    void ExportSelected();

protected:
    void resizeEvent(QResizeEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;

private:
    void UpdateButtons();

    CViewInfoList& m_views;
    ViewInfoDlgActions m_actions;
    QTreeWidget* m_list;
    QPushButton* m_export;
    QPushButton* m_show;
    QPushButton* m_help;
    QPushButton* m_add;
    QPushButton* m_delete;
    QPushButton* m_close;
};

} // namespace kv
