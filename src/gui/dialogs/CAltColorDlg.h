// "Color to Altitude": the modeless list of colour-to-altitude entries of one map view, with
// load, save, add, pick, edit, delete and Generate (the overlays turned into terrain).
#pragma once

#include "document/AltColor.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;

namespace kv {

class CKVDoc;

class CAltColorDlg : public QDialog {
    Q_OBJECT
public:
    // `document` gives the document Generate writes (null: none); `pick` switches the
    // view to the colour-picking tool (null: nothing).
    CAltColorDlg(std::function<CKVDoc*()> document, std::function<void()> pick, QWidget* parent = nullptr);

    AltColorList& List() { return m_list; }

    // Edits a new entry of `colour` (the other fields from the last one added) and appends
    // it on OK; the colour it ends with.
    uint32_t AddEntryForColor(uint32_t colour);

    void Refresh();
    void OnLoad();
    void OnSave();
    void OnAdd();
    void OnPick();
    void OnEdit();
    void OnDelete();
    // 0 when the world was rewritten (see GenerateFromOverlays).
    int OnGenerate();

    QTreeWidget* ListControl() const { return m_rows; }
    void SelectRows(const std::vector<int>& rows);

    void accept() override { hide(); }
    void reject() override { hide(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<CKVDoc*()> m_document;
    std::function<void()> m_pick;
    AltColorList m_list;
    AltColor m_addEntry;
    uint32_t m_addColour = 0;
    QTreeWidget* m_rows;
};

} // namespace kv
