// Cursor images of the map-editing tools, drawn once per id: a cross hair with the tool's
// figure (lasso, polygon, box, ellipse, wand, ruler, gradient) and the combine mode's mark
// (+ add, - subtract, x intersect).
#pragma once

#include <QCursor>

namespace kv {

// False for an id that is not a map-editing tool's.
bool MapEditCursor(int cursorId, QCursor& cursor);

} // namespace kv
