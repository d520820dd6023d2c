// Export As PW2 of the saved-views window: for every chosen saved view, a JPEG image of
// that view (and, once the drawing export exists, its PW2 drawing) in the output folder,
// named after the view.
#pragma once

#include "base/color/LightParms.h"

#include <string>
#include <vector>

namespace kv {

class CViewInfo;
class SurfMap;
class ViewDocument;

// The View Export Settings of the run (kept from one export to the next).
struct ViewExportSettings {
    static constexpr int kMaxJpegSize = 16384;
    static constexpr int kSmallestJpegSize = 8;
    std::string outputDirectory;
    bool generatePW2 = false;
    std::string exportDefinition; // the ".xpt" chosen for the drawings
    bool generateJPEG = false;
    bool onlyIfLand = false;
    bool useViewAsBasis = false;
    int jpegSize = 0;
};

// The drawing half of the export (PW2 drawings from an export definition). Until the
// drawing export exists nothing is available: no drawings, size factor 1.
class ViewDrawingExport {
public:
    virtual ~ViewDrawingExport() = default;
    virtual bool Available() const { return false; }
    // Reads the export definition; its map extents give the size factor. 0, or negative.
    virtual int ReadDefinition(const std::string& /*path*/, double& sizeFactor)
    {
        sizeFactor = 1.0;
        return -1;
    }
    // Writes the drawing of one view; 0, or negative.
    virtual int WriteDrawing(const std::string& /*path*/) { return -1; }
};

// What an export did.
struct ViewExportResult {
    int imagesWritten = 0;
    int skippedWithoutLand = 0;
    std::vector<std::string> failures; // files that could not be written
};

// A view name as a file name inside the output folder: path separators become "_", and a
// name of only dots (".", "..") or an empty one has each dot replaced, so that no file
// lands outside the folder.
std::string ViewFileName(const std::string& name);

// The output folder, "/" and the view's file name, without an extension.
std::string ViewFileBase(const std::string& folder, const std::string& name);

// Exports the views with the world, a copy of the lighting and the shader. A progress
// window shows the share of views done; the abort value stops between views.
ViewExportResult ExportSavedViews(const std::vector<const CViewInfo*>& views, const ViewExportSettings& settings,
                                  SurfMap& world, const LightParms& light, int shaderId, ViewDocument* document,
                                  ViewDrawingExport& drawings, double sizeFactor = 1.0);

} // namespace kv
