// Export As PW2 of the saved-views window: every chosen saved view written as a drawing
// and, when asked, a JPEG picture into an output folder, named after the view.
#pragma once

#include "view/SavedViewExport.h"

#include <string>
#include <vector>

namespace kv {

class CKVDoc;
class CViewInfo;

// The size factor applied to a saved view's scale and to the picture width.
constexpr double kSavedViewSizeFactor = 1.0;

// Writes `views` of the document (its first view's lighting and shader; its projection as
// the basis when settings.useViewAsBasis is set, else each view's own) as
// <outputDirectory>/<name>.fcw and .jpg, names kept inside the folder (ViewFileName). The
// export definition settings.exportDefinition is read from `definitionFolder` first: when
// it cannot be read, "Error reading export def file " and its path are shown and nothing
// is written (-1). A file that cannot be written shows "Error writing file " and its name
// and the export goes on. With onlyIfLand a picture whose map shows no land is not
// written. Progress shows the share of views done; Esc stops between views. 0, or -2 when
// any file failed.
int ExportSavedViews(CKVDoc& document, const std::vector<const CViewInfo*>& views,
                     const ViewExportSettings& settings, const std::string& definitionFolder);

} // namespace kv
