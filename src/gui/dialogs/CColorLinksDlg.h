// The "Color to Link Translation" window: the colour links store as a tree of groups and
// their links (columns "Name", "Color", "Link"), with buttons that add, rename and delete
// groups and links. Modeless, made once; "&Close" only hides it.
#pragma once

#include "document/ColorLinks.h"

#include <QDialog>

#include <memory>
#include <optional>

class QPushButton;
class QTreeWidgetItem;

namespace kv {

class CNewTreeListCtrl;
class CTLFrame;

class CColorLinksDlg : public QDialog, public ColorLinksWindow {
    Q_OBJECT
public:
    static constexpr int kTreeControl = 5641;
    static constexpr int kAddGroup = 57672;
    static constexpr int kDeleteGroup = 57673;
    static constexpr int kAddLink = 57674;
    static constexpr int kDeleteLink = 57675;
    static constexpr int kRenameGroup = 57676;
    static constexpr int kHelpContext = 0x20000 + 3012;

    explicit CColorLinksDlg(QWidget* parent = nullptr);

    void Show(bool show) override;
    bool IsVisible() const override;
    void Refill() override;

    CNewTreeListCtrl* Tree() const;
    QPushButton* Button(int id) const;
    // The selected row as the store's actions take it (none: nothing selected).
    std::optional<ColorLinks::Row> SelectedRow() const;
    // A double-click on an item: a link is edited and its texts updated in place.
    void EditItem(QTreeWidgetItem* item);

private:
    void RunOnSelection(void (ColorLinks::*action)(const ColorLinks::Row*));
    static ColorLinks::Row RowOf(const QTreeWidgetItem* item);

    CTLFrame* m_frame = nullptr;
};

// The window factory the store makes its window with.
std::unique_ptr<ColorLinksWindow> MakeColorLinksWindow();

} // namespace kv
