// "Grid Settings": edits a copy of the document's grid overlay (the grid list, polar end
// caps, subdivision level and adaptive resolution), with grid definition files.
#pragma once

#include "world/CRectGrid.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTreeWidget;

namespace kv {

// The grid-entry dialog the Add and Edit buttons open; true on OK. Until one is installed
// there is no such dialog and Add and Edit change nothing.
using GridEntryEditor = std::function<bool(QWidget* parent, RectInfo& grid)>;
void SetGridEntryEditor(GridEntryEditor editor);

class CGridSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGridSettingsDlg(QWidget* parent = nullptr);

    // The overlay being edited; set it, then LoadControls (exec does), read it after OK.
    CRectGrid copy;

    void LoadControls();
    void RefillList();
    bool StoreControls();

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnUp();
    void OnDown();
    void OnShow();
    void OnHide();
    void OnLoad();
    void OnSave();

    void accept() override;
    int exec() override;

    QTreeWidget* ListControl() const { return m_rows; }
    QLineEdit* EndcapEdit() const { return m_endcap; }
    QSlider* LevelSlider() const { return m_level; }
    QLabel* LevelText() const { return m_levelText; }
    QCheckBox* AdaptiveCheck() const { return m_adaptive; }
    void SelectRows(const std::vector<int>& rows);

private:
    std::vector<int> SelectedRows() const;

    QTreeWidget* m_rows;
    QLineEdit* m_endcap;
    QSlider* m_level;
    QLabel* m_levelText;
    QCheckBox* m_adaptive;
};

} // namespace kv
