// The settings of Export As PW2 of the saved-views window and the file names it writes
// (the export itself: exchange/SavedViewsExport.h).
#pragma once

#include <string>

namespace kv {

// The View Export Settings of the run (kept from one export to the next).
struct ViewExportSettings {
    static constexpr int kMaxJpegSize = 16384;
    static constexpr int kSmallestJpegSize = 8;
    std::string outputDirectory;
    bool generatePW2 = false;
    std::string exportDefinition; // the export definition chosen for the drawings, without ".xpt"
    bool generateJPEG = false;
    bool onlyIfLand = false;
    bool useViewAsBasis = false;
    int jpegSize = 0;
};

// A view name as a file name inside the output folder: path separators become "_", and a
// name of only dots (".", "..") or an empty one has each dot replaced, so that no file
// lands outside the folder.
std::string ViewFileName(const std::string& name);

// The output folder, "/" and the view's file name, without an extension.
std::string ViewFileBase(const std::string& folder, const std::string& name);

} // namespace kv
