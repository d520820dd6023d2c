// The images of menu items: one icon per command id, taken from the program's toolbars in
// their loading order (a later toolbar's image replaces an earlier one for the same
// command), shared by every menu of the process (the menu bar and the view's context
// menu), and the style that draws menu items with the image in a square at the left.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QProxyStyle>

#include <map>
#include <vector>

namespace kv {

// A toolbar: its resource id and buttons in order (0 a separator).
struct ToolbarDef {
    int resourceId;
    std::vector<int> buttons;
};

// The program's toolbars by resource id; an id with no toolbar gives null.
const ToolbarDef* FindToolbar(int resourceId);
// The loading order of the menus' images.
const std::vector<int>& MenuImageToolbars();
// The image of a toolbar's button (16 x 15); null pixmap when the button has none.
QPixmap ToolbarButtonImage(int resourceId, int commandId);

class MenuImageTable {
public:
    static constexpr int kImageWidth = 16;
    static constexpr int kImageHeight = 15;

    // The process-wide table (filled by LoadStandard at start-up).
    static MenuImageTable& Shared();
    // Adds the images of one toolbar; false when there is no such toolbar.
    using ImageSource = QPixmap (*)(int resourceId, int commandId);
    bool LoadToolbar(const ToolbarDef& toolbar, ImageSource images = ToolbarButtonImage);
    bool LoadToolbar(int resourceId);
    // Toolbars 128, 1009, 1010, 1007, 1000, 1008 in this order.
    void LoadStandard();
    QIcon Icon(int commandId) const;
    bool HasImage(int commandId) const { return m_images.count(commandId) != 0; }
    QPixmap Image(int commandId) const;
    void Clear() { m_images.clear(); }

private:
    std::map<int, QPixmap> m_images;
};

// Menu items in the raised/sunken style: the image in a square at the left (sunken and on
// a lightened ground when checked, raised while selected), a drawn check mark for a checked
// item without one, grey items embossed, the key right-aligned.
class MenuItemStyle : public QProxyStyle {
public:
    explicit MenuItemStyle(QStyle* base = nullptr) : QProxyStyle(base) {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

    // The colour c lightened by 0.6 towards white, each channel truncated.
    static QColor Lightened(const QColor& c);
};

} // namespace kv
