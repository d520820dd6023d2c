#include "gui/frame/MenuImages.h"

#include "document/DocumentCommands.h"
#include "gui/commands/CommandIds.h"
#include "view/ViewCommandIds.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionMenuItem>

namespace kv {

namespace {

using namespace cmd;

using namespace viewcmd;

// The buttons of each toolbar in order; 0 is a separator.
const std::vector<ToolbarDef> kToolbars = {
    {kToolbarWorldTools,
     {kFileNew, kFileOpen, kFileSaveAs, 0, kFilePrint, 0, doccmd::kEditUndo, doccmd::kEditRedo, 0, kNextWorld,
      kPreviousWorld, 0, kToolOptions, cmd::kWorldSettings, cmd::kLightingAndColor}},
    {kToolbarMapTools,
     {kZoomIn, kZoomOut, kZoomExtents, kToolZoomWindow, 0, kToolRuler, 0, kToolPan, 0, kGridSettings,
      kBarToolsPalette, kChangeProjection, 0, kAppAbout, kHelp}},
    {kToolbarTools,
     {kToolSelectRectangle, kToolSelectEllipse, kToolSelectFreehand, kToolSelectPolygon, 0,
      kPaintRaiseOffset, kPaintLowerOffset, kPaintRaiseRoughness, kPaintLowerRoughness, 0,
      kPaintRaiseRainfall, kPaintLowerRainfall, 0, kPaintRaiseTemperature, kPaintLowerTemperature, 0,
      kPaintWaterLevel, kPaintClimate, 0, kBrushSizeXL, kBrushSizeLG, kBrushSizeSM, kBrushSizeXS, 0,
      kShowClimate, kShowAltitude, kShowTemperature, kShowRainfall}},
    // Mountains, Hills, Bare Rock, Ice, Tropical Deciduous and Evergreen Forest | Tropical
    // Shrubland, Savannah, Temperate Forest, Desert, Chaparral, Temperate Grassland | Boreal
    // or Alpine Forest, Tundra or Alpine, Continental Shelf, Abyssal Plain, Oceanic Trench,
    // Default Model.
    {kToolbarClimate,
     {kClimateClassFirst + 13, kClimateClassFirst + 14, kClimateClassFirst + 15, kClimateClassFirst + 10,
      kClimateClassFirst + 7, kClimateClassFirst + 6, 0, kClimateClassFirst + 8, kClimateClassFirst + 9,
      kClimateClassFirst + 4, kClimateClassFirst + 3, kClimateClassFirst + 2, kClimateClassFirst + 5, 0,
      kClimateClassFirst + 1, kClimateClassFirst + 0, kClimateClassFirst + 12, kClimateClassFirst + 11,
      kClimateClassFirst + 16, kClimateDefaultModel}},
    {kToolbarExtra, {}},
};

const std::vector<int> kMenuImageOrder = {kToolbarMenuOnly, kToolbarWorldTools, kToolbarMapTools,
                                          kToolbarTools,    kToolbarClimate,    kToolbarExtra};

} // namespace

const ToolbarDef* FindToolbar(int resourceId)
{
    for (const ToolbarDef& toolbar : kToolbars) {
        if (toolbar.resourceId == resourceId)
            return &toolbar;
    }
    return nullptr;
}

const std::vector<int>& MenuImageToolbars() { return kMenuImageOrder; }

MenuImageTable& MenuImageTable::Shared()
{
    static MenuImageTable table;
    return table;
}

bool MenuImageTable::LoadToolbar(const ToolbarDef& toolbar, ImageSource images)
{
    for (int id : toolbar.buttons) {
        if (id == 0)
            continue;
        const QPixmap image = images(toolbar.resourceId, id);
        if (!image.isNull())
            m_images[id] = image;
    }
    return true;
}

bool MenuImageTable::LoadToolbar(int resourceId)
{
    const ToolbarDef* toolbar = FindToolbar(resourceId);
    return toolbar && LoadToolbar(*toolbar);
}

void MenuImageTable::LoadStandard()
{
    for (int id : kMenuImageOrder)
        LoadToolbar(id);
}

QPixmap MenuImageTable::Image(int commandId) const
{
    const auto it = m_images.find(commandId);
    return it == m_images.end() ? QPixmap() : it->second;
}

QIcon MenuImageTable::Icon(int commandId) const
{
    const QPixmap image = Image(commandId);
    return image.isNull() ? QIcon() : QIcon(image);
}

// ---- drawing ----

QColor MenuItemStyle::Lightened(const QColor& c)
{
    auto up = [](int v) { return static_cast<int>(v + 0.6 * (255 - v)); };
    return QColor(up(c.red()), up(c.green()), up(c.blue()));
}

namespace {

void Edge(QPainter* p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    p->setPen(topLeft);
    p->drawLine(r.left(), r.top(), r.right(), r.top());
    p->drawLine(r.left(), r.top(), r.left(), r.bottom());
    p->setPen(bottomRight);
    p->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p->drawLine(r.right(), r.top(), r.right(), r.bottom());
}

} // namespace

void MenuItemStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                                const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item) {
        QProxyStyle::drawControl(element, option, p, widget);
        return;
    }
    const QPalette& pal = item->palette;
    const QColor menu = pal.color(QPalette::Window);
    const QRect r = item->rect;
    const int w = MenuImageTable::kImageWidth, h = MenuImageTable::kImageHeight;
    p->save();
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        p->fillRect(r, menu);
        const int y = r.top() + r.height() / 2;
        p->setPen(pal.color(QPalette::Dark));
        p->drawLine(r.left(), y, r.right(), y);
        p->setPen(pal.color(QPalette::Light));
        p->drawLine(r.left(), y + 1, r.right(), y + 1);
        p->restore();
        return;
    }
    const bool selected = (item->state & State_Selected) != 0;
    const bool grayed = !(item->state & State_Enabled);
    const bool checked = item->checked;
    const bool hasImage = !item->icon.isNull();
    QColor textColour = pal.color(QPalette::WindowText);
    p->fillRect(r, menu);
    if (selected) {
        const QRect band = (hasImage || checked) ? QRect(r.left() + w + 5, r.top(), r.width() - w - 5, r.height()) : r;
        p->fillRect(band, pal.color(QPalette::Highlight));
        textColour = pal.color(QPalette::HighlightedText);
    }
    const int b = std::max(0, (r.height() - h - 4) / 2);
    const QRect square(r.left(), r.top() + b, w + 4, h + 4);
    const QRect inside = square.adjusted(1, 1, -1, -1);
    if (hasImage) {
        const QPixmap image = item->icon.pixmap(w, h);
        if (!grayed) {
            p->fillRect(inside, checked && !selected ? Lightened(menu) : menu);
            if (checked)
                Edge(p, square, pal.color(QPalette::Dark), pal.color(QPalette::Light));
            else if (selected)
                Edge(p, square, pal.color(QPalette::Light), pal.color(QPalette::Dark));
            p->drawPixmap(r.left() + 2, r.top() + b + 2, image);
        } else {
            // Embossed: the silhouette in the highlight colour one pixel down-right, then
            // in the shadow colour.
            QImage mask = image.toImage().convertToFormat(QImage::Format_ARGB32);
            for (const auto& [colour, offset] : {std::pair{pal.color(QPalette::Light), 1}, {pal.color(QPalette::Dark), 0}}) {
                QImage tinted = mask;
                QPainter tp(&tinted);
                tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tp.fillRect(tinted.rect(), colour);
                tp.end();
                p->drawImage(r.left() + 2 + offset, r.top() + b + 2 + offset, tinted);
            }
        }
    } else if (checked) {
        const QRect box(r.left() + 1, r.top() + b + 2, w, h);
        p->fillRect(box, selected ? menu : Lightened(menu));
        Edge(p, box, pal.color(QPalette::Dark), pal.color(QPalette::Light));
        p->setPen(pal.color(QPalette::WindowText));
        const int x = box.left() + 4, y = box.top() + 4;
        if (item->checkType == QStyleOptionMenuItem::Exclusive) {
            p->setBrush(pal.color(QPalette::WindowText));
            p->drawEllipse(box.left() + 5, box.top() + 4, 5, 5);
        } else {
            static const int kStart[7] = {2, 3, 4, 3, 2, 1, 0};
            for (int i = 0; i < 7; ++i)
                p->drawLine(x + i, y + kStart[i], x + i, y + kStart[i] + 2);
        }
    }
    // Text: the label left, the key right.
    QString label = item->text;
    QString key;
    const qsizetype tab = label.indexOf('\t');
    if (tab >= 0) {
        key = label.mid(tab + 1);
        label = label.left(tab);
    }
    QRect textRect(r.left() + w + 9, r.top() - 1, r.width() - w - 9, r.height());
    if (!key.isEmpty())
        textRect.setRight(textRect.right() - w);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    auto drawText = [&](const QColor& colour, int offset) {
        p->setPen(colour);
        const QRect tr = textRect.translated(offset, offset);
        p->drawText(tr, flags | Qt::AlignLeft, label);
        if (!key.isEmpty())
            p->drawText(tr, flags | Qt::AlignRight, key);
    };
    if (grayed && !selected) {
        drawText(pal.color(QPalette::Light), 1);
        drawText(pal.color(QPalette::Disabled, QPalette::WindowText), 0);
    } else if (grayed) {
        drawText(menu, 0);
    } else {
        drawText(textColour, 0);
    }
    p->restore();
}

QSize MenuItemStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const int w = MenuImageTable::kImageWidth, h = MenuImageTable::kImageHeight;
    const int menuHeight = item->fontMetrics.height() + 4;
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(1, std::max((4 + h) / 2, menuHeight / 2)); // width 0 would hide it
    QString text = item->text;
    text.replace('&', QString());
    const int textWidth = item->fontMetrics.horizontalAdvance(text.replace('\t', QStringLiteral("    ")));
    return QSize(textWidth + 2 * w + 1 + 12, std::max(menuHeight, h + 4));
}

} // namespace kv
