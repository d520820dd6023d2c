// Where a dialog's controls lie, and lists of the files a pattern names.
#pragma once

#include <QPoint>

#include <string>
#include <vector>

class QListWidget;
class QWidget;

namespace kv {

struct ControlRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The control's rectangle relative to the window's top-left corner, frame included, right
// and bottom inclusive; with `withoutFrame` relative to the client area (the frame's edge
// and caption taken off). False when the window or the control is missing.
bool GetControlRectInWindow(const QWidget* window, int controlId, ControlRect& rect, bool withoutFrame);
// The twin on the control itself: right and bottom exclusive, one pixel more taken off
// each offset with `withoutFrame`.
bool GetControlRectInWindow(const QWidget* control, ControlRect& rect, bool withoutFrame);

// Whether the client point of `dialog` lies in its control; optionally the point relative
// to the control's top-left corner and the control's screen rectangle (right and bottom
// exclusive).
bool IsPointInControl(const QWidget* dialog, int controlId, QPoint clientPoint, QPoint* offset = nullptr,
                      ControlRect* screenRect = nullptr);

// Empties the list and adds the files that `pattern` (a path whose last part may hold
// wildcards) names, sorted: each name cut before the first occurrence of the pattern's
// extension not at its start (the extension matched regardless of case); the item data is
// the running index. The whole file names go to `names` when given. The count, or -1 when
// nothing matches.
int FillListWithFiles(const std::string& pattern, QListWidget* list, std::vector<std::string>* names = nullptr);

} // namespace kv
