// Export As PW2 of the saved-views window: every chosen saved view written as a drawing
// (and, when asked, a JPEG picture) into an output folder, named after the view.
#pragma once

#include <string>
#include <vector>

namespace kv {

class CKVDoc;
class CViewInfo;

// The View Export Settings of the run (kept by the caller between exports).
struct ViewExportSettings {
    std::string outputDirectory;
    bool generatePW2 = false;
    std::string definitionName;  // the export definition, without ".xpt"
    bool generateJPEG = false;
    bool onlyIfLand = false;     // a picture only when its map shows land
    bool useViewAsBasis = false; // the view's projection in place of the saved one's
    int jpegSize = 0;            // pixels; below 8 means 128
};

// The size factor applied to a saved view's scale and to the picture width.
constexpr double kSavedViewSizeFactor = 1.0;

// Writes `views` of the document (its first view's lighting and shader) as
// <outputDirectory>/<name>.fcw and .jpg. The export definition is read from
// `definitionFolder` first: when it cannot be read, "Error reading export def file "
// and its path are shown and nothing is written (-1). A drawing that cannot be written
// shows "Error writing file " and its name and the export goes on. Progress shows the
// share of views done; Esc stops between views. 0, or -2 when any file failed.
int ExportSavedViews(CKVDoc& document, const std::vector<const CViewInfo*>& views,
                     const ViewExportSettings& settings, const std::string& definitionFolder);

} // namespace kv
