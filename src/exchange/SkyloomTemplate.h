// The Skyloom template drawing: a whole-world icosahedral picture saved as a BMP and an
// FCW drawing of one picture reference that shows it, framed by built-in records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class CKVDoc;

constexpr uint32_t kSkyloomPictureNumber = 14331;
constexpr char kSkyloomDialogTitle[] = "Export PW2 File based on Skyloom Pro Template";
constexpr char kSkyloomDialogFilter[] = "Plotwright 2 Files (*.fcw)|*.fcw|All Files (*.*)|*.*||";
constexpr char kSkyloomDialogExtension[] = ".fcw";

// "$" + the file name when the path has a "\" or "/", else the path as given.
std::string SkyloomReference(const std::string& imagePath);
// The picture reference record (59 + reference length bytes).
std::vector<uint8_t> SkyloomPictureRecord(const std::string& reference);
// The drawing's path: the image path cut at the extension of its file name, + ".FCW"; a
// path whose extension already reads ".fcw" in any case stays as it is.
std::string SkyloomDrawingPath(const std::string& imagePath);
// Writes the drawing that references `imagePath` at SkyloomDrawingPath of `drawingPath`
// (empty: of `imagePath`): 0, or -1 with "Unable to open output file\n" + its path shown
// (nothing written).
int WriteSkyloomTemplate(const std::string& imagePath, const std::string& drawingPath = std::string());

// The command: the icosahedral file dialog (the last path of the run), the world's
// icosahedral net on the background of the icosahedral command saved as a BMP beside the
// chosen path, then the drawing (the chosen file itself when it ends in ".fcw" in any
// case). A failed BMP shows "Error writing file " + its path and writes no drawing. 0
// written or cancelled, negative when it stopped.
int ExportSkyloomTemplateCommand(CKVDoc& doc);

} // namespace kv
