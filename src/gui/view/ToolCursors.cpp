#include "gui/view/ToolCursors.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <functional>

namespace kv {

namespace {

enum class Figure { Lasso, Polygon, Box, Ellipse, Wand, Ruler, Gradient, Picker, Plain };
enum class Mark { None, Add, Subtract, Intersect };

struct CursorKind {
    Figure figure;
    Mark mark;
};

bool KindOf(int id, CursorKind& kind)
{
    struct Row {
        int first;
        Figure figure;
    };
    // Each family's replace, add and subtract cursors follow one another.
    static const Row kRows[] = {{524, Figure::Lasso}, {532, Figure::Polygon}, {535, Figure::Box},
                                {517, Figure::Ellipse}, {543, Figure::Wand}, {350, Figure::Plain}};
    for (const Row& row : kRows)
        if (id >= row.first && id < row.first + 3) {
            kind = {row.figure, static_cast<Mark>(id - row.first)};
            if (row.first == 350)
                kind = {id == 350 ? Figure::Gradient : Figure::Plain, id == 352 ? Mark::Add : Mark::None};
            return true;
        }
    switch (id) {
    case 353: kind = {Figure::Plain, Mark::Intersect}; return true;
    case 354: kind = {Figure::Plain, Mark::Subtract}; return true;
    case 538: kind = {Figure::Ruler, Mark::None}; return true;
    case 539: kind = {Figure::Ruler, Mark::Add}; return true;
    case 547: kind = {Figure::Picker, Mark::Subtract}; return true;
    case 548: kind = {Figure::Picker, Mark::Add}; return true;
    default: return false;
    }
}

QCursor Draw(const CursorKind& kind)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    auto outlined = [&](const std::function<void()>& draw) {
        p.setPen(QPen(Qt::white, 3));
        draw();
        p.setPen(QPen(Qt::black, 1));
        draw();
    };
    outlined([&] {
        p.drawLine(8, 1, 8, 15);
        p.drawLine(1, 8, 15, 8);
    });
    const QRect fig(16, 16, 12, 10);
    outlined([&] {
        switch (kind.figure) {
        case Figure::Lasso: p.drawArc(fig, 0, 300 * 16); break;
        case Figure::Polygon: p.drawPolygon(QPolygon({QPoint(16, 26), QPoint(20, 16), QPoint(28, 19), QPoint(25, 26)})); break;
        case Figure::Box: p.drawRect(fig); break;
        case Figure::Ellipse: p.drawEllipse(fig); break;
        case Figure::Wand: p.drawLine(16, 28, 26, 18); p.drawLine(24, 16, 28, 20); break;
        case Figure::Ruler: p.drawRect(15, 20, 14, 5); p.drawLine(19, 20, 19, 22); p.drawLine(23, 20, 23, 22); break;
        case Figure::Gradient: p.drawLine(16, 26, 28, 16); p.drawLine(28, 16, 23, 17); p.drawLine(28, 16, 27, 21); break;
        case Figure::Picker: p.drawLine(16, 28, 26, 18); p.drawEllipse(24, 14, 5, 5); break;
        case Figure::Plain: break;
        }
    });
    outlined([&] {
        switch (kind.mark) {
        case Mark::Add: p.drawLine(19, 3, 27, 3); p.drawLine(23, 0, 23, 7); break;
        case Mark::Subtract: p.drawLine(19, 3, 27, 3); break;
        case Mark::Intersect: p.drawLine(19, 0, 26, 7); p.drawLine(26, 0, 19, 7); break;
        case Mark::None: break;
        }
    });
    p.end();
    return QCursor(pixmap, 8, 8);
}

} // namespace

bool MapEditCursor(int cursorId, QCursor& cursor)
{
    static QHash<int, QCursor> made;
    CursorKind kind{};
    if (!KindOf(cursorId, kind))
        return false;
    auto it = made.find(cursorId);
    if (it == made.end())
        it = made.insert(cursorId, Draw(kind));
    cursor = *it;
    return true;
}

} // namespace kv
