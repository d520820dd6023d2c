// The pictures of the toolbar buttons, drawn once per command at 16 x 15 pixels: outlines
// in black or dark grey over a transparent ground, filled with a few flat colours. A
// command has the same picture on every toolbar and beside its menu item.
#include "gui/frame/MenuImages.h"

#include "base/color/ClimateParms.h"
#include "document/DocumentCommands.h"
#include "gui/commands/CommandIds.h"
#include "gui/controls/DialogData.h"
#include "view/ViewCommandIds.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace kv {

namespace {

using namespace cmd;
using namespace viewcmd;

const QColor kInk(0, 0, 0);
const QColor kShade(96, 96, 96);
const QColor kSea(40, 90, 200);
const QColor kLand(60, 160, 60);
const QColor kEarth(150, 100, 50);
const QColor kRise(0, 150, 0);
const QColor kFall(200, 0, 0);
constexpr int kClassMountain = 13;
constexpr int kClassHills = 14;

// A solid arrow at the right edge: up (raise) in green, down (lower) in red.
void SideArrow(QPainter& p, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(up ? kRise : kFall);
    if (up)
        p.drawPolygon(QPolygon({QPoint(11, 1), QPoint(15, 6), QPoint(13, 6), QPoint(13, 10), QPoint(10, 10),
                                QPoint(10, 6), QPoint(7, 6)}));
    else
        p.drawPolygon(QPolygon({QPoint(11, 14), QPoint(15, 9), QPoint(13, 9), QPoint(13, 5), QPoint(10, 5),
                                QPoint(10, 9), QPoint(7, 9)}));
}

// A magnifying glass with its lens at (x, y), side d; the handle runs down-right.
void Magnifier(QPainter& p, int x, int y, int d)
{
    p.setPen(QPen(kEarth, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(x + d - 1, y + d - 1, 14, 13);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(210, 235, 255));
    p.drawEllipse(x, y, d, d);
}

// A globe: a sea disc with two land patches.
void Globe(QPainter& p, const QRect& r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kSea);
    p.drawEllipse(r);
    p.setPen(Qt::NoPen);
    p.setBrush(kLand);
    const int w = r.width(), h = r.height();
    p.drawEllipse(r.left() + w / 5, r.top() + h / 5, w * 2 / 5, h * 2 / 5);
    p.drawEllipse(r.left() + w / 2, r.top() + h / 2, w / 3, h / 3);
}

// A dashed outline (the selection tools).
QPen Marching() { return QPen(kInk, 1, Qt::DashLine); }

// A thermometer at the left.
void Thermometer(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRect(2, 1, 4, 10), 2, 2);
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(1, 9, 6, 5);
    p.fillRect(QRect(3, 5, 3, 5), QColor(220, 0, 0));
}

// A rain drop at the left.
void Drop(QPainter& p)
{
    QPainterPath drop;
    drop.moveTo(4.5, 1);
    drop.cubicTo(8, 7, 9, 9, 8, 11);
    drop.cubicTo(7, 14, 2, 14, 1, 11);
    drop.cubicTo(0, 9, 1, 7, 4.5, 1);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(60, 140, 255));
    p.drawPath(drop);
}

// A paint brush: handle up-right, bristles down-left.
void Brush(QPainter& p)
{
    p.setPen(QPen(kEarth, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(14, 1, 8, 7);
    p.setPen(QPen(kShade, 3));
    p.drawLine(8, 7, 6, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawPolygon(QPolygon({QPoint(5, 8), QPoint(8, 11), QPoint(4, 14), QPoint(1, 14), QPoint(2, 11)}));
}

// Eight strokes of a grid over a square.
void Graticule(QPainter& p, const QRect& r, const QColor& ink)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    for (int i = 1; i < 3; ++i) {
        const int x = r.left() + r.width() * i / 3, y = r.top() + r.height() * i / 3;
        p.drawLine(x, r.top(), x, r.bottom());
        p.drawLine(r.left(), y, r.right(), y);
    }
}

// A curved arrow: `back` points left (Undo), otherwise right (Redo).
void TurnArrow(QPainter& p, bool back)
{
    p.save();
    if (!back) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(4, 6);
    arc.cubicTo(7, 2, 14, 3, 13, 9);
    arc.cubicTo(12, 12, 9, 13, 7, 13);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 160));
    p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(7, 3), QPoint(2, 9)}));
    p.restore();
}

// A little triangle pointing left or right beside a globe (next and previous world).
void StepWorld(QPainter& p, bool next)
{
    Globe(p, next ? QRect(0, 2, 10, 10) : QRect(5, 2, 10, 10));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(255, 200, 0));
    if (next)
        p.drawPolygon(QPolygon({QPoint(10, 3), QPoint(15, 7), QPoint(10, 11)}));
    else
        p.drawPolygon(QPolygon({QPoint(5, 3), QPoint(0, 7), QPoint(5, 11)}));
}

// A filled square of a climate class's colour.
void Swatch(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(colour);
    p.drawRect(1, 1, 13, 12);
}

// The pictures of the climate, altitude, temperature and rainfall shaders: the map's
// colours in four bands.
void Bands(QPainter& p, const std::array<QColor, 4>& colours)
{
    for (int i = 0; i < 4; ++i)
        p.fillRect(QRect(1, 1 + i * 3, 14, 3), colours[static_cast<size_t>(i)]);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 15, 13);
}

bool DrawCommand(QPainter& p, int commandId)
{
    p.setPen(QPen(kInk, 1));
    if (commandId >= kClimateClassFirst && commandId <= kClimateClassLast) {
        static const ClimateParms defaults;
        const int code = commandId - kClimateClassFirst;
        Swatch(p, ToQColor(defaults.ClimateColor(code)));
        // The relief classes carry their shape (Mountain shares its grey with Tundra).
        p.setPen(Qt::NoPen);
        p.setBrush(kShade);
        if (code == kClassMountain)
            p.drawPolygon(QPolygon({QPoint(3, 11), QPoint(7, 4), QPoint(9, 7), QPoint(10, 6), QPoint(13, 11)}));
        else if (code == kClassHills)
            p.drawChord(QRect(3, 6, 10, 10), 0, 180 * 16);
        return true;
    }
    switch (commandId) {
    // ---- World Tools ----
    case kFileNew: // a page with a folded corner
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(9, 1), QPoint(12, 4), QPoint(12, 13), QPoint(3, 13)}));
        p.drawLine(9, 1, 9, 4);
        p.drawLine(9, 4, 12, 4);
        return true;
    case kFileOpen: // an open folder
        p.setBrush(QColor(255, 220, 0));
        p.drawRect(1, 4, 10, 8);
        p.setBrush(QColor(200, 160, 0));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(14, 7), QPoint(11, 12), QPoint(1, 12)}));
        return true;
    case kFileSaveAs: // a disk
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(1, 1, 13, 12);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(4, 9, 7, 4);
        return true;
    case kFilePrint: // a printer with a sheet
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(1, 6, 13, 6);
        p.setBrush(QColor(0, 160, 0));
        p.drawRect(11, 8, 1, 1);
        return true;
    case doccmd::kEditUndo: TurnArrow(p, true); return true;
    case doccmd::kEditRedo: TurnArrow(p, false); return true;
    case kNextWorld: StepWorld(p, true); return true;
    case kPreviousWorld: StepWorld(p, false); return true;
    case kToolOptions: // a brush over two sliders
        p.setPen(QPen(kShade, 1));
        p.drawLine(1, 3, 9, 3);
        p.drawLine(1, 7, 9, 7);
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(5, 1, 2, 4);
        p.drawRect(2, 5, 2, 4);
        p.save();
        p.translate(2, 0);
        Brush(p);
        p.restore();
        return true;
    case cmd::kWorldSettings: // a globe on a sheet of settings
        p.setBrush(Qt::white);
        p.drawRect(5, 0, 10, 14);
        p.setPen(QPen(kShade, 1));
        for (int y = 3; y <= 11; y += 3)
            p.drawLine(10, y, 13, y);
        Globe(p, QRect(0, 4, 9, 9));
        return true;
    case cmd::kLightingAndColor: { // a sun over a colour ramp
        p.setPen(QPen(QColor(230, 140, 0), 1));
        for (int i = 0; i < 8; ++i) {
            const double a = i * 3.14159265 / 4;
            p.drawLine(QPointF(5.5 + 3.5 * std::cos(a), 5.5 + 3.5 * std::sin(a)),
                       QPointF(5.5 + 5.5 * std::cos(a), 5.5 + 5.5 * std::sin(a)));
        }
        p.setPen(QPen(QColor(200, 120, 0), 1));
        p.setBrush(QColor(255, 220, 0));
        p.drawEllipse(3, 3, 5, 5);
        const QColor ramp[] = {QColor(220, 0, 0), QColor(255, 160, 0), QColor(0, 180, 0), QColor(0, 80, 230)};
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRect(12, 3 + i * 3, 3, 3), ramp[i]);
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(11, 2, 4, 12);
        return true;
    }
    // ---- Map Tools ----
    case kZoomIn:
    case kZoomOut:
        Magnifier(p, 1, 1, 9);
        p.drawLine(3, 5, 8, 5);
        if (commandId == kZoomIn)
            p.drawLine(5, 3, 5, 8);
        return true;
    case kZoomExtents: // a magnifier inside the four corners of the map
        p.setPen(QPen(kShade, 1));
        for (const QPoint& c : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 14), QPoint(15, 14)}) {
            const int dx = c.x() == 0 ? 3 : -3, dy = c.y() == 0 ? 3 : -3;
            p.drawLine(c, c + QPoint(dx, 0));
            p.drawLine(c, c + QPoint(0, dy));
        }
        Magnifier(p, 3, 3, 6);
        return true;
    case kToolZoomWindow: // a dashed window with a magnifier in its corner
        p.setPen(Marching());
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, 11, 9);
        Magnifier(p, 6, 5, 6);
        return true;
    case kToolRuler: // a ruler with ticks
        p.setBrush(QColor(255, 230, 120));
        p.drawRect(0, 4, 15, 6);
        for (int x = 2; x < 15; x += 2)
            p.drawLine(x, 5, x, x % 4 == 0 ? 8 : 6);
        return true;
    case kToolPan: // four arrows out of the centre
        p.setPen(QPen(kInk, 1));
        p.drawLine(7, 2, 7, 12);
        p.drawLine(2, 7, 12, 7);
        p.setBrush(kInk);
        p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(10, 3), QPoint(4, 3)}));
        p.drawPolygon(QPolygon({QPoint(7, 14), QPoint(10, 11), QPoint(4, 11)}));
        p.drawPolygon(QPolygon({QPoint(0, 7), QPoint(3, 4), QPoint(3, 10)}));
        p.drawPolygon(QPolygon({QPoint(14, 7), QPoint(11, 4), QPoint(11, 10)}));
        return true;
    case kGridSettings:
        p.fillRect(QRect(1, 1, 13, 12), QColor(220, 235, 255));
        Graticule(p, QRect(1, 1, 13, 12), QColor(0, 0, 160));
        return true;
    case kBarToolsPalette: { // a painter's palette with four paints
        QPainterPath board;
        board.addEllipse(0, 1, 15, 12);
        QPainterPath hole;
        hole.addEllipse(9, 8, 3, 3);
        p.setBrush(QColor(225, 190, 140));
        p.drawPath(board.subtracted(hole));
        p.setPen(Qt::NoPen);
        const QColor paints[] = {QColor(220, 0, 0), QColor(255, 210, 0), QColor(0, 160, 0), QColor(0, 70, 220)};
        const QPoint at[] = {QPoint(2, 5), QPoint(5, 2), QPoint(9, 3), QPoint(4, 8)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(paints[i]);
            p.drawEllipse(at[i].x(), at[i].y(), 3, 3);
        }
        return true;
    }
    case kChangeProjection: { // an oval world map with curved meridians
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(0, 2, 15, 10);
        p.setPen(QPen(QColor(0, 0, 160), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(4, 2, 7, 10);
        p.drawLine(7, 2, 7, 12);
        p.drawLine(0, 7, 15, 7);
        return true;
    }
    case kAppAbout: // an "i" in a balloon
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(1, 1, 13, 11);
        p.setBrush(kInk);
        p.drawRect(7, 3, 1, 1);
        p.drawRect(7, 5, 1, 5);
        return true;
    case kHelp: { // an arrow pointer with a question mark
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(1, 1), QPoint(1, 11), QPoint(4, 8), QPoint(6, 12), QPoint(7, 11),
                                QPoint(5, 7), QPoint(8, 7)}));
        QFont font(QStringLiteral("Sans"));
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0, 0, 200));
        p.drawText(QRect(8, 0, 8, 14), Qt::AlignCenter, QStringLiteral("?"));
        return true;
    }
    // ---- Tools palette: selection ----
    case kToolSelectRectangle:
        p.setPen(Marching());
        p.drawRect(1, 2, 13, 10);
        return true;
    case kToolSelectEllipse:
        p.setPen(Marching());
        p.drawEllipse(1, 2, 13, 10);
        return true;
    case kToolSelectFreehand: {
        QPainterPath lasso;
        lasso.moveTo(3, 4);
        lasso.cubicTo(6, 0, 15, 1, 13, 6);
        lasso.cubicTo(12, 10, 7, 8, 5, 11);
        lasso.cubicTo(3, 14, 0, 8, 3, 4);
        p.setPen(Marching());
        p.drawPath(lasso);
        return true;
    }
    case kToolSelectPolygon:
        p.setPen(Marching());
        p.drawPolygon(QPolygon({QPoint(1, 5), QPoint(7, 1), QPoint(14, 4), QPoint(11, 13), QPoint(3, 11)}));
        return true;
    // ---- Tools palette: painting ----
    case kPaintRaiseOffset:
    case kPaintLowerOffset: // a hill of land
        p.setBrush(kEarth);
        p.drawPolygon(QPolygon({QPoint(0, 14), QPoint(4, 6), QPoint(7, 9), QPoint(9, 14)}));
        SideArrow(p, commandId == kPaintRaiseOffset);
        return true;
    case kPaintRaiseRoughness: // a jagged ridge
        p.setPen(QPen(kEarth, 2));
        p.drawPolyline(QPolygon({QPoint(0, 12), QPoint(2, 6), QPoint(3, 10), QPoint(5, 3), QPoint(7, 11),
                                 QPoint(8, 7), QPoint(9, 12)}));
        SideArrow(p, true);
        return true;
    case kPaintLowerRoughness: { // a smooth swell
        QPainterPath swell;
        swell.moveTo(0, 12);
        swell.cubicTo(3, 4, 6, 4, 9, 12);
        p.setPen(QPen(kEarth, 2));
        p.drawPath(swell);
        SideArrow(p, false);
        return true;
    }
    case kPaintRaiseRainfall:
    case kPaintLowerRainfall:
        Drop(p);
        SideArrow(p, commandId == kPaintRaiseRainfall);
        return true;
    case kPaintRaiseTemperature:
    case kPaintLowerTemperature:
        Thermometer(p);
        SideArrow(p, commandId == kPaintRaiseTemperature);
        return true;
    case kPaintWaterLevel: { // waves under a level mark
        p.setPen(QPen(kFall, 1));
        p.drawLine(0, 3, 15, 3);
        p.setPen(QPen(kSea, 2));
        p.setBrush(Qt::NoBrush);
        for (int y : {7, 11}) {
            QPainterPath wave;
            wave.moveTo(0, y);
            wave.cubicTo(2, y - 3, 4, y - 3, 5, y);
            wave.cubicTo(7, y + 3, 9, y + 3, 10, y);
            wave.cubicTo(12, y - 3, 14, y - 3, 15, y);
            p.drawPath(wave);
        }
        return true;
    }
    case kPaintClimate: // a tree with a brush
        p.setBrush(kEarth);
        p.drawRect(4, 9, 2, 5);
        p.setBrush(kLand);
        p.drawEllipse(0, 1, 10, 9);
        p.save();
        p.translate(5, 3);
        p.scale(0.7, 0.7);
        Brush(p);
        p.restore();
        return true;
    // ---- Tools palette: brush sizes ----
    case kBrushSizeXL:
    case kBrushSizeLG:
    case kBrushSizeSM:
    case kBrushSizeXS: {
        const int d = commandId == kBrushSizeXL ? 13 : commandId == kBrushSizeLG ? 9 : commandId == kBrushSizeSM ? 5 : 2;
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRectF(7.5 - d / 2.0, 7 - d / 2.0, d, d));
        return true;
    }
    // ---- Tools palette: shaders ----
    case kShowClimate: {
        static const ClimateParms defaults;
        Bands(p, {ToQColor(defaults.ClimateColor(10)), ToQColor(defaults.ClimateColor(1)),
                  ToQColor(defaults.ClimateColor(6)), ToQColor(defaults.ClimateColor(3))});
        return true;
    }
    case kShowAltitude:
        Bands(p, {Qt::white, QColor(150, 100, 50), QColor(60, 160, 60), kSea});
        return true;
    case kShowTemperature:
        Bands(p, {QColor(80, 80, 255), QColor(120, 200, 255), QColor(255, 170, 60), QColor(220, 0, 0)});
        return true;
    case kShowRainfall:
        Bands(p, {QColor(230, 220, 170), QColor(160, 210, 240), QColor(60, 130, 230), QColor(0, 40, 160)});
        return true;
    // ---- Climate Selector ----
    case kClimateDefaultModel: // white, struck through: the model's own class
        Swatch(p, Qt::white);
        p.setPen(QPen(kFall, 2));
        p.drawLine(3, 11, 12, 3);
        return true;
    default:
        return false;
    }
}

} // namespace

QPixmap ToolbarButtonImage(int resourceId, int commandId)
{
    (void)resourceId; // every toolbar draws a command with the same picture
    QPixmap pixmap(MenuImageTable::kImageWidth, MenuImageTable::kImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (!DrawCommand(p, commandId))
        return QPixmap();
    return pixmap;
}

} // namespace kv
