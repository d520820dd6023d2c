// "Image Overlays": the modeless window listing a document's overlays, with buttons to add,
// edit, show, hide, activate, reorder and delete them. The overlay list owns it and shows
// or hides it; Close only hides it.
#pragma once

#include "base/layers/ImageOverlay.h"
#include "document/OverlayListActions.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QTreeWidget;

namespace kv {

class CImageOverlayListDlg : public QDialog {
    Q_OBJECT
public:
    // The document is the active one when the list is its list (none otherwise).
    explicit CImageOverlayListDlg(ImageOverlayList& list, QWidget* parent = nullptr);

    // Rebuilds the rows, keeping the selected row, and the active overlay's text.
    void Refresh();

    void OnAdd();
    void OnEdit();
    void OnShow();
    void OnHide();
    void OnSetActive();
    void OnMoveUp();
    void OnMoveDown();
    void OnDelete();

    // The editor the buttons use (null: the modal dialog).
    void SetEditor(OverlayEditor* editor) { m_editor = editor; }

    QTreeWidget* ListControl() const { return m_rows; }
    QLabel* ActiveText() const { return m_active; }
    void SelectRow(int row);

    void accept() override { hide(); }
    void reject() override { hide(); }

private:
    int SelectedRow() const;
    std::vector<int> SelectedRows() const;
    OverlayEditor& Editor();

    OverlayListActions Actions() const;

    ImageOverlayList& m_list;
    QTreeWidget* m_rows;
    QLabel* m_active;
    OverlayEditor* m_editor = nullptr;
    std::unique_ptr<OverlayEditor> m_dialogEditor;
};

// The overlay list's window: made on demand for its list (of the active document).
class OverlayListWindowQt : public OverlayListWindow {
public:
    explicit OverlayListWindowQt(ImageOverlayList& owner) : m_owner(owner) {}
    bool Create() override;
    bool Exists() const override { return m_dialog != nullptr; }
    bool IsVisible() const override;
    void Show(int showCommand) override;
    void FillList() override;
    CImageOverlayListDlg* Dialog() const { return m_dialog.get(); }

private:
    ImageOverlayList& m_owner;
    std::unique_ptr<CImageOverlayListDlg> m_dialog;
};

// Installs the window factory of overlay lists.
void InstallOverlayListWindow();

} // namespace kv
